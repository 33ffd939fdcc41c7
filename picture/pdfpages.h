// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The pages of a PDF document as pictures, rendered by poppler.
#pragma once

#include "picture/picturedecoder.h"
#include "picture/pictureloading.h"

#include <QByteArray>
#include <QSizeF>

#include <atomic>
#include <memory>

class QIODevice;
namespace Poppler {
class Document;
}

// Whether these are a PDF document's first bytes, and whether the file is one.
bool looksLikePdf(const QByteArray &head);
bool isPdfFile(const QByteArray &nativePath);

inline constexpr int DefaultPdfDpi = 300;
inline constexpr int SmallestPdfDpi = 72;
inline constexpr int LargestPdfDpi = 1200;

// An open PDF document: how many pages, and how large each is.
class PdfDocument
{
public:
    // Opened as a picture file is (a regular file, never blocking).
    explicit PdfDocument(const QByteArray &nativePath);
    ~PdfDocument();
    PdfDocument(const PdfDocument &) = delete;
    PdfDocument &operator=(const PdfDocument &) = delete;

    // None, CannotOpen, NotAFile, Damaged (not a readable PDF), Locked
    // (needs a password) or NoPages.
    PictureProblem problem() const { return Problem; }
    int pageCount() const;
    // In inches; empty for a page that is not there.
    QSizeF pageInches(int page) const;
    // The pixels a page has at that resolution, and the highest resolution
    // (not above `dpi`) whose page this computer can hold; 0: none.
    QSize pagePixels(int page, int dpi) const;
    int largestFittingDpi(int page, int dpi, std::int64_t budgetBytes = pictureMemoryBudget()) const;

    // The page at `dpi`, anti-aliased, judged like any picture before it
    // is rendered; runs on a worker under PictureLoading.
    std::shared_ptr<LoadJob> renderJob(int page, int dpi, std::int64_t budgetBytes = pictureMemoryBudget()) const;

private:
    std::shared_ptr<QIODevice> Device;
    std::shared_ptr<Poppler::Document> Document;
    PictureProblem Problem = PictureProblem::None;
};
