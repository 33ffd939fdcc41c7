// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A picture's pixels as they lie in memory, and positions on them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pontiva {

// Read only; never owned.
struct PixelBuffer {
    enum class Layout {
        Grey8,  // one byte a pixel
        Xrgb32, // 32-bit words 0xAARRGGBB in native byte order, as QImage's RGB32
        // The same with alpha premultiplied (QImage's ARGB32_Premultiplied):
        // read as if over white paper, so a transparent background is paper,
        // not the black its zero bytes would be.
        Argb32Premultiplied,
    };
    const std::uint8_t *data = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0; // bytes from one row to the next
    Layout layout = Layout::Xrgb32;
};

// Picture pixels, continuous: pixel (i, j) covers [i, i + 1) x [j, j + 1),
// so its centre is (i + 0.5, j + 0.5); y grows downwards.
struct PixelPoint {
    double x = 0;
    double y = 0;
};

// How far from the pointer a snap may land, in picture pixels.
inline constexpr double SnapRadius = 8;

} // namespace pontiva
