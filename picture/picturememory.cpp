// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Faulting a large decoded picture's memory in ahead of its decoder.
#include "picture/picturememory.h"

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

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
