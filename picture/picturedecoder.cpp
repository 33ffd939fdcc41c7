// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a chart picture, judged by its header and structure before any pixel is allocated.
#include "picture/picturedecoder.h"

#include "picturecheck/bmpheader.h"
#include "picturecheck/jpegstructure.h"
#include "picturecheck/plausibility.h"
#include "picture/picturefile.h"
#include "picture/picturememory.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <fstream>
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
    if (!Device || (!Device->isOpen() && !Device->open(QIODevice::ReadOnly)))
        return fail(Problem::CannotOpen);
    if (Device->isSequential())
        return fail(Problem::NotAFile);
    Total = Device->size();
    const QByteArray format = QImageReader::imageFormat(Device.get());
    // These readers take the file a piece at a time as they decode it.
    Measured = format == "jpeg" || format == "png" || format == "bmp" || format == "ppm" || format == "pgm"
        || format == "pbm";

    // What the file's own structure says, before any decoder sees it.
    pontiva::PictureCoding coding = pontiva::PictureCoding::Unbounded;
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
            return fail(Problem::CutShort, QSize(jpeg.width, jpeg.height)); // the rest would show as grey
        Passes = 2; // the walk read the file once already
        coding = jpeg.blockCostUnknown ? pontiva::PictureCoding::Unbounded : pontiva::PictureCoding::HuffmanJpeg;
    } else if (format == "png") {
        coding = pontiva::PictureCoding::Png;
    } else if (format == "bmp") {
        const QByteArray head = Device->peek(64);
        const pontiva::BmpHeader bmp =
            pontiva::readBmpHeader(reinterpret_cast<const std::uint8_t *>(head.constData()), std::size_t(head.size()));
        if (bmp.valid && Total < bmp.requiredBytes)
            return fail(Problem::CutShort, QSize(int(bmp.width), int(bmp.height)));
        coding = bmp.runLength ? pontiva::PictureCoding::Unbounded : pontiva::PictureCoding::Uncompressed;
    }
    if (format.isEmpty())
        return fail(Problem::NotAPicture);
    if (!Device->seek(0))
        return fail(Problem::CannotOpen);

    CountingDevice counted(*Device, Consumed, Cancelled);
    QImageReader reader(&counted, format);
    const QSize claimed = reader.size();
    const QImage::Format decodedFormat = reader.imageFormat();
    if (!claimed.isValid())
        return fail(Problem::NotAPicture); // nothing to judge it by
    const pontiva::PictureClaim claim{claimed.width(), claimed.height(), Total, coding,
                                      peakBytesPerPixel(decodedFormat)};
    if (pontiva::judgeClaim(claim, Budget) != pontiva::Verdict::Plausible)
        return fail(Problem::TooLarge, claimed);
    // Decoded in place: the reader keeps a buffer of the right size and format.
    QImage picture = allocatePicture(claimed, decodedFormat);
    if (decodedFormat != QImage::Format_Invalid && picture.isNull())
        return fail(Problem::TooLarge, claimed);
    bool decoded = false;
    {
        const BackgroundPrefault prefault(picture);
        decoded = reader.read(&picture);
    }
    if (Cancelled)
        return fail(Problem::Cancelled, claimed); // a cancelled read may come back "complete" with grey rows
    if (!decoded || picture.isNull())
        return fail(Problem::Damaged, claimed);
    if (picture.format() == QImage::Format_ARGB32)
        picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    else if (!isDisplayFormat(picture.format()))
        picture.convertTo(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (picture.isNull())
        return fail(Problem::TooLarge, claimed);
    return DecodedPicture{std::move(picture), Problem::None, claimed};
}

DecodedPicture loadPicture(const QString &path, std::int64_t budgetBytes)
{
    OpenedPictureFile file = openPictureFile(path);
    if (!file.device)
        return DecodedPicture{{}, file.problem, {}};
    return PictureDecoder(std::move(file.device), budgetBytes).decode();
}
