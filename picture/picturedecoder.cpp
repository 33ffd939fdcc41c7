// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a chart picture, judged by its header and structure before any pixel is allocated.
#include "picture/picturedecoder.h"

#include "picturecheck/bmpheader.h"
#include "picturecheck/jpegstructure.h"
#include "picturecheck/pictureformat.h"
#include "picturecheck/plausibility.h"
#include "picture/picturefile.h"
#include "picture/jpegdecoding.h"
#include "picture/picturememory.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <climits>
#include <fstream>
#include <mutex>
#include <string>

namespace {

std::int64_t availableMemoryBytes()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::int64_t kib = 0;
    std::string unit;
    while (meminfo >> key >> kib >> unit) {
        if (key == "MemAvailable:")
            return kib * 1024;
    }
    return std::int64_t(4) << 30; // no /proc: assume a modest desktop
}

bool isDisplayFormat(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
}

// The decoded picture, plus the display-format copy when one is needed
// (ARGB32 becomes premultiplied in place). Unknown formats count the worst.
int peakBytesPerPixel(QImage::Format decoded)
{
    if (decoded == QImage::Format_Invalid)
        return 8;
    const int own = (QImage::toPixelFormat(decoded).bitsPerPixel() + 7) / 8;
    const bool copied = !isDisplayFormat(decoded) && decoded != QImage::Format_ARGB32;
    return own + (copied ? 4 : 0);
}

} // namespace

void useOwnPictureLimits()
{
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(0); });
}

std::int64_t pictureMemoryBudget()
{
    return availableMemoryBytes() / 4 * 3;
}

// Passes reads through, counting what the decoder has consumed, and fails
// every read once the load is cancelled.
class PictureDecoder::CountingDevice : public QIODevice
{
public:
    CountingDevice(QIODevice &inner, std::atomic<std::int64_t> &consumed, const std::atomic<bool> &cancelled)
        : Inner(inner), Consumed(consumed), Cancelled(cancelled)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return Inner.isSequential(); }
    qint64 size() const override { return Inner.size(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && Inner.seek(pos); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (Cancelled)
            return -1;
        const qint64 n = Inner.read(data, maxSize);
        if (n > 0)
            Consumed += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QIODevice &Inner;
    std::atomic<std::int64_t> &Consumed;
    const std::atomic<bool> &Cancelled;
};

PictureDecoder::PictureDecoder(std::unique_ptr<QIODevice> device, std::int64_t budgetBytes)
    : Device(std::move(device))
    , Budget(budgetBytes)
{
    useOwnPictureLimits();
}

PictureDecoder::~PictureDecoder() = default;

double PictureDecoder::progress() const
{
    return Total > 0 ? std::min(1.0, double(Consumed) / (double(Total) * Passes)) : 0.0;
}

DecodedPicture PictureDecoder::decode()
{
    using Problem = PictureProblem;
    auto fail = [](Problem problem, QSize claimed = {}) { return DecodedPicture{{}, problem, claimed}; };
    // A file that is both short and claims more than could ever be held is
    // told by its claim: that is what the user can do something about.
    auto cutShort = [&fail](QSize claimed) {
        const bool huge = std::int64_t(claimed.width()) * claimed.height() * 4 > pontiva::MaximumPeakBytes;
        return fail(huge ? Problem::TooLarge : Problem::CutShort, claimed);
    };
    if (!Device || (!Device->isOpen() && !Device->open(QIODevice::ReadOnly)))
        return fail(Problem::CannotOpen);
    if (Device->isSequential())
        return fail(Problem::NotAFile);
    Total = Device->size();
    const QByteArray format = QImageReader::imageFormat(Device.get());
    if (format.isEmpty())
        return fail(Problem::NotAPicture);
    // These readers take the file a piece at a time as they decode it.
    Measured = format == "jpeg" || format == "png" || format == "bmp" || format == "ppm" || format == "pgm"
        || format == "pbm";

    // What the file's own structure says, before any decoder sees it.
    pontiva::PictureClaim claim;
    claim.fileBytes = Total;
    claim.coding = pontiva::PictureCoding::Bounded;
    QSize facts;
    int work = 0;
    bool inPlace = false;
    if (format == "jpeg") {
        const pontiva::JpegStructure jpeg = pontiva::walkJpeg([this](std::uint8_t *buffer, std::size_t size) {
            const qint64 n = Cancelled ? -1 : Device->read(reinterpret_cast<char *>(buffer), qint64(size));
            if (n <= 0)
                return std::size_t(0);
            Consumed += n;
            return std::size_t(n);
        });
        if (Cancelled)
            return fail(Problem::Cancelled);
        if (!jpeg.complete)
            return cutShort(QSize(jpeg.width, jpeg.height)); // the rest would show as grey
        Passes = 2; // the walk read the file once already
        claim.coding = jpeg.blockCostUnknown ? pontiva::PictureCoding::Unbounded : pontiva::PictureCoding::HuffmanJpeg;
        facts = QSize(jpeg.width, jpeg.height);
        inPlace = true;
    } else if (format == "bmp") {
        const QByteArray head = Device->peek(64);
        const pontiva::BmpHeader bmp =
            pontiva::readBmpHeader(reinterpret_cast<const std::uint8_t *>(head.constData()), std::size_t(head.size()));
        if (bmp.valid && Total < bmp.requiredBytes)
            return cutShort(QSize(int(std::min<std::int64_t>(bmp.width, INT_MAX)), int(std::min<std::int64_t>(bmp.height, INT_MAX))));
        claim.coding = bmp.runLength ? pontiva::PictureCoding::Unbounded : pontiva::PictureCoding::Uncompressed;
        inPlace = true;
    } else {
        const pontiva::ReadAt readAt = [this](std::int64_t offset, std::uint8_t *buffer, std::size_t size) {
            if (Cancelled || !Device->seek(offset))
                return std::size_t(0);
            const qint64 n = Device->read(reinterpret_cast<char *>(buffer), qint64(size));
            return n > 0 ? std::size_t(n) : std::size_t(0);
        };
        const pontiva::PictureFacts f = pontiva::examinePicture(format.toStdString(), readAt, Total);
        if (Cancelled)
            return fail(Problem::Cancelled);
        const QSize said(int(std::min<std::int64_t>(f.width, INT_MAX)), int(std::min<std::int64_t>(f.height, INT_MAX)));
        if (f.known && !f.complete)
            return cutShort(said);
        // Any format without a better bound: no honest picture is that dense.
        claim.pixelsPerByte = f.pixelsPerByte > 0 ? f.pixelsPerByte : 2 * 65536;
        facts = said;
        work = f.workBytesPerPixel;
        inPlace = f.decodesInPlace;
    }
    if (!Device->seek(0))
        return fail(Problem::CannotOpen);

    CountingDevice counted(*Device, Consumed, Cancelled);
    QImageReader reader(&counted, format);
    // The larger of what the reader and the headers say: an icon's directory,
    // a GIF's first frame or a page's canvas can each be the bigger one.
    const QSize claimed = reader.size().expandedTo(facts);
    const QImage::Format decodedFormat = reader.imageFormat();
    if (!claimed.isValid() || claimed.isEmpty())
        return fail(Problem::NotAPicture); // nothing to judge it by
    claim.width = claimed.width();
    claim.height = claimed.height();
    // Readers that allocate a picture of their own make it 4 bytes a pixel
    // at most; then the display copy, then their working buffers.
    claim.peakBytesPerPixel = (inPlace ? peakBytesPerPixel(decodedFormat) : 4 + 4) + work;
    if (pontiva::judgeClaim(claim, Budget) != pontiva::Verdict::Plausible)
        return fail(Problem::TooLarge, claimed);

    // Decoded in place where the reader keeps the buffer it is given.
    QImage picture = inPlace ? QImage(claimed, decodedFormat) : QImage(); // uninitialised
    if (inPlace && decodedFormat != QImage::Format_Invalid && picture.isNull())
        return fail(Problem::TooLarge, claimed);
    bool decoded = false;
    {
        const BackgroundPrefault prefault(picture);
        JpegDecoding jpeg = JpegDecoding::NotHandled;
        if (format == "jpeg" && inPlace && counted.seek(0))
            jpeg = decodeJpegInto(counted, picture, Cancelled);
        if (jpeg == JpegDecoding::NotHandled && format == "jpeg") {
            QImageReader again(&counted, format); // from the start, as the new path read the header
            decoded = again.read(&picture);
        } else if (jpeg == JpegDecoding::NotHandled) {
            decoded = reader.read(&picture);
        } else {
            decoded = jpeg == JpegDecoding::Done;
        }
    }
    if (Cancelled)
        return fail(Problem::Cancelled, claimed); // a cancelled read may come back "complete" with grey rows
    if (!decoded || picture.isNull())
        return fail(Problem::Damaged, claimed);
    if (picture.width() > claimed.width() || picture.height() > claimed.height())
        return fail(Problem::Damaged, claimed); // bigger than anything it said: not to be trusted
    if (picture.format() == QImage::Format_ARGB32)
        picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    else if (!isDisplayFormat(picture.format()))
        picture.convertTo(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (picture.isNull())
        return fail(Problem::TooLarge, claimed);
    return DecodedPicture{std::move(picture), Problem::None, claimed};
}

DecodedPicture acceptDecodedPicture(QImage picture, std::int64_t budgetBytes)
{
    if (picture.isNull())
        return {{}, PictureProblem::NotAPicture, {}};
    const QSize size = picture.size();
    const pontiva::PictureClaim claim{size.width(), size.height(), 0, pontiva::PictureCoding::Unbounded, 0,
                                      isDisplayFormat(picture.format()) ? 4 : 8};
    if (pontiva::judgeClaim(claim, budgetBytes) != pontiva::Verdict::Plausible)
        return {{}, PictureProblem::TooLarge, size};
    if (!isDisplayFormat(picture.format()))
        picture.convertTo(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (picture.isNull())
        return {{}, PictureProblem::TooLarge, size};
    return {std::move(picture), PictureProblem::None, size};
}

DecodedPicture loadPicture(const QString &path, std::int64_t budgetBytes)
{
    OpenedPictureFile file = openPictureFile(path);
    if (!file.device)
        return DecodedPicture{{}, file.problem, {}};
    return PictureDecoder(std::move(file.device), budgetBytes).decode();
}
