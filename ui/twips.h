// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window is laid out in twips (1/1440 inch); widgets take pixels.
#pragma once

#include <QRect>
#include <QRectF>
#include <cmath>

// 15 twips per device-independent pixel (96 dots per inch).
inline constexpr double TwipsPerPixel = 15.0;

inline int twipsToPixels(double twips)
{
    return int(std::lround(twips / TwipsPerPixel));
}

inline double pixelsToTwips(int pixels)
{
    return pixels * TwipsPerPixel;
}

struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
    QRect toPixels() const
    {
        return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
    }
    QRectF toRectF() const { return {left, top, width, height}; }
};
