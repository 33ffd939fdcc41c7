// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The pages of a PDF document as pictures, rendered by poppler.
#include "picture/pdfpages.h"

#include "picture/picturefile.h"
#include "picturecheck/plausibility.h"

#include <poppler-qt6.h>

#include <QIODevice>

#include <cmath>

namespace {

// A rendered page and its copy in display format, at the peak.
constexpr int RenderBytesPerPixel = 8;

bool fits(QSize pixels, std::int64_t budgetBytes)
{
    pontiva::PictureClaim claim;
    claim.width = pixels.width();
    claim.height = pixels.height();
    claim.coding = pontiva::PictureCoding::Unbounded; // a page's drawing is not bound by its file
    claim.peakBytesPerPixel = RenderBytesPerPixel;
    return !pixels.isEmpty() && pontiva::judgeClaim(claim, budgetBytes) == pontiva::Verdict::Plausible;
}

class PageRendering : public LoadJob
{
public:
    PageRendering(std::shared_ptr<QIODevice> device, std::shared_ptr<Poppler::Document> document, int page, int dpi,
                  QSize pixels, std::int64_t budget)
        : Device(std::move(device))
        , Document(std::move(document))
        , Page(page)
        , Dpi(dpi)
        , Pixels(pixels)
        , Budget(budget)
    {
    }
    DecodedPicture run() override
    {
        if (!fits(Pixels, Budget))
            return {{}, PictureProblem::TooLarge, Pixels};
        const std::unique_ptr<Poppler::Page> page(Document->page(Page));
        if (!page)
            return {{}, PictureProblem::Damaged, Pixels};
        auto abort = [](const QVariant &flag) {
            return static_cast<const std::atomic<bool> *>(flag.value<void *>())->load();
        };
        const QImage image = page->renderToImage(Dpi, Dpi, -1, -1, -1, -1, Poppler::Page::Rotate0, nullptr, nullptr,
                                                 abort, QVariant::fromValue(static_cast<void *>(&Cancelled)));
        if (Cancelled)
            return {{}, PictureProblem::Cancelled, Pixels};
        if (image.isNull())
            return {{}, PictureProblem::Damaged, Pixels};
        return acceptDecodedPicture(image, Budget);
    }
    void cancel() override { Cancelled = true; }

private:
    std::shared_ptr<QIODevice> Device; // poppler reads from it while the document lives
    std::shared_ptr<Poppler::Document> Document;
    int Page, Dpi;
    QSize Pixels;
    std::int64_t Budget;
    std::atomic<bool> Cancelled{false};
};

} // namespace

bool looksLikePdf(const QByteArray &head)
{
    // The header may follow a little junk, as readers allow.
    return head.left(1024).contains("%PDF-");
}

bool isPdfFile(const QByteArray &nativePath)
{
    const OpenedPictureFile file = openPictureFileByName(nativePath);
    return file.device && looksLikePdf(file.device->peek(1024));
}

PdfDocument::PdfDocument(const QByteArray &nativePath)
{
    // A broken document is said on the message line, not on standard error.
    static const bool quiet = [] {
        Poppler::setDebugErrorFunction([](const QString &, const QVariant &) {}, QVariant());
        return true;
    }();
    (void)quiet;
    OpenedPictureFile file = openPictureFileByName(nativePath);
    if (!file.device) {
        Problem = file.problem;
        return;
    }
    Device = std::move(file.device);
    Document = std::shared_ptr<Poppler::Document>(Poppler::Document::load(Device.get()).release());
    if (!Document)
        Problem = PictureProblem::Damaged;
    else if (Document->isLocked())
        Problem = PictureProblem::Locked;
    else if (Document->numPages() <= 0)
        Problem = PictureProblem::NoPages;
    if (Problem != PictureProblem::None)
        return;
    // Splash snaps strokes to whole pixels ("stroke adjust"), moving a line by up
    // to half a pixel; QPainter keeps them where the document puts them.
    Document->setRenderBackend(Poppler::Document::QPainterBackend);
    Document->setRenderHint(Poppler::Document::Antialiasing);
    Document->setRenderHint(Poppler::Document::TextAntialiasing);
}

PdfDocument::~PdfDocument() = default;

int PdfDocument::pageCount() const
{
    return Problem == PictureProblem::None ? Document->numPages() : 0;
}

QSizeF PdfDocument::pageInches(int page) const
{
    if (page < 0 || page >= pageCount())
        return {};
    const std::unique_ptr<Poppler::Page> p(Document->page(page));
    return p ? p->pageSizeF() / 72.0 : QSizeF();
}

QSize PdfDocument::pagePixels(int page, int dpi) const
{
    const QSizeF inches = pageInches(page);
    const double w = std::ceil(inches.width() * dpi), h = std::ceil(inches.height() * dpi);
    if (!(w >= 1 && h >= 1 && w < 1e9 && h < 1e9))
        return {};
    return QSize(int(w), int(h));
}

int PdfDocument::largestFittingDpi(int page, int dpi, std::int64_t budgetBytes) const
{
    for (int d = dpi; d >= SmallestPdfDpi / 2; d = d * 9 / 10)
        if (fits(pagePixels(page, d), budgetBytes))
            return d;
    return 0;
}

std::shared_ptr<LoadJob> PdfDocument::renderJob(int page, int dpi, std::int64_t budgetBytes) const
{
    return std::make_shared<PageRendering>(Device, Document, page, dpi, pagePixels(page, dpi), budgetBytes);
}
