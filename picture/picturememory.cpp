// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Memory for a large decoded picture, backed by huge pages where the system offers them.
#include "picture/picturememory.h"

#include <algorithm>
#include <cstdint>
#include <unistd.h>
#include <sys/mman.h>

namespace {

constexpr std::size_t HugePage = std::size_t(2) << 20;

struct Mapping {
    void *start;
    std::size_t length;
};

void unmap(void *info)
{
    auto *mapping = static_cast<Mapping *>(info);
    ::munmap(mapping->start, mapping->length);
    delete mapping;
}

} // namespace

QImage allocatePicture(QSize size, QImage::Format format)
{
    if (size.isEmpty() || format == QImage::Format_Invalid)
        return {};
    const qsizetype depth = QImage::toPixelFormat(format).bitsPerPixel();
    // Rows 32-bit aligned, as QImage's own.
    const qsizetype bytesPerLine = (qsizetype(size.width()) * depth + 31) / 32 * 4;
    const std::size_t bytes = std::size_t(bytesPerLine) * std::size_t(size.height());
#if defined(MADV_HUGEPAGE)
    // Huge pages need 2 MiB alignment: map a little more, then trim both ends.
    const std::size_t length = (bytes + HugePage - 1) / HugePage * HugePage;
    void *raw = ::mmap(nullptr, length + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw != MAP_FAILED) {
        const auto base = reinterpret_cast<std::uintptr_t>(raw);
        const std::uintptr_t aligned = (base + HugePage - 1) / HugePage * HugePage;
        if (aligned > base)
            ::munmap(raw, aligned - base);
        const std::uintptr_t end = aligned + length;
        const std::uintptr_t rawEnd = base + length + HugePage;
        if (rawEnd > end)
            ::munmap(reinterpret_cast<void *>(end), rawEnd - end);
        void *start = reinterpret_cast<void *>(aligned);
        (void)::madvise(start, length, MADV_HUGEPAGE); // only advice: fine if refused
        auto *mapping = new Mapping{start, length};
        QImage image(static_cast<uchar *>(start), size.width(), size.height(), bytesPerLine, format, unmap,
                     mapping);
        if (!image.isNull())
            return image;
        unmap(mapping); // QImage refused the geometry; its cleanup never runs
    }
#endif
    return QImage(size, format);
}

BackgroundPrefault::BackgroundPrefault(const QImage &picture)
{
#if defined(MADV_POPULATE_WRITE)
    if (picture.isNull())
        return;
    const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
    const auto first = reinterpret_cast<std::uintptr_t>(picture.constBits()) / page * page;
    const auto end = reinterpret_cast<std::uintptr_t>(picture.constBits()) + std::size_t(picture.sizeInBytes());
    Worker = std::thread([first, end] {
        // In the decoder's order, a slice at a time, so it stays ahead.
        constexpr std::uintptr_t Slice = std::uintptr_t(8) << 20;
        for (std::uintptr_t at = first; at < end; at += Slice) {
            if (::madvise(reinterpret_cast<void *>(at), std::min(Slice, end - at), MADV_POPULATE_WRITE) != 0)
                return; // an older kernel, or no memory: the decoder faults as usual
        }
    });
#else
    (void)picture;
#endif
}

BackgroundPrefault::~BackgroundPrefault()
{
    if (Worker.joinable())
        Worker.join();
}
