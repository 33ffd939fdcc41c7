// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a chart picture from a file, with guards against absurd sizes.
#include "view/pictureloader.h"

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

} // namespace

std::int64_t pictureMemoryBudget()
{
    // Leave a quarter of the free memory to the rest of the desktop.
    return availableMemoryBytes() / 4 * 3;
}

std::optional<QImage> loadPicture(const QString &path, std::int64_t budgetBytes)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize claimed = reader.size();
    if (claimed.isValid()) {
        const std::int64_t bytes = std::int64_t(claimed.width()) * claimed.height() * 4;
        if (claimed.isEmpty() || bytes > budgetBytes)
            return std::nullopt;
    }
    // Qt refuses anything over 128 MB by default, silently; ordinary scans
    // are larger than that, so the limit follows the budget instead.
    const std::int64_t budgetMiB = std::max<std::int64_t>(1, budgetBytes >> 20);
    QImageReader::setAllocationLimit(int(std::min<std::int64_t>(budgetMiB, 1 << 30)));
    QImage picture;
    if (!reader.read(&picture) || picture.isNull())
        return std::nullopt;
    // Indexed and 24-bit pictures would be converted on every paint.
    if (picture.format() != QImage::Format_RGB32
        && picture.format() != QImage::Format_ARGB32_Premultiplied) {
        picture.convertTo(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                    : QImage::Format_RGB32);
        if (picture.isNull())
            return std::nullopt;
    }
    return picture;
}
