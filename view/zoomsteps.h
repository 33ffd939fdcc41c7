// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The view's zoom: steps of a quarter octave from 1/32 to 32.
#pragma once

#include <algorithm>
#include <cmath>

inline constexpr int ZoomStepsPerOctave = 4;
inline constexpr int SmallestZoomStep = -5 * ZoomStepsPerOctave; // 1/32
inline constexpr int LargestZoomStep = 5 * ZoomStepsPerOctave;   // 32

// 2^(step/4), with every power of two exact.
inline double zoomAtStep(int step)
{
    static constexpr double Quarter[] = {1.0, 1.189207115002721, 1.414213562373095, 1.681792830507429};
    const int octave = step >= 0 ? step / ZoomStepsPerOctave : -((-step + ZoomStepsPerOctave - 1) / ZoomStepsPerOctave);
    return std::ldexp(Quarter[step - octave * ZoomStepsPerOctave], octave);
}

// The next step above (`direction` > 0) or below the zoom, within the range.
inline double nextZoom(double zoom, int direction)
{
    const double exact = std::log2(zoom) * ZoomStepsPerOctave;
    // A zoom between steps (Fit) goes to the neighbouring step on that side.
    const int step = direction > 0 ? int(std::floor(exact + 1e-9)) + 1 : int(std::ceil(exact - 1e-9)) - 1;
    return zoomAtStep(std::clamp(step, SmallestZoomStep, LargestZoomStep));
}
