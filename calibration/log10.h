// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The base-10 logarithm of the calibration transform.
#pragma once

namespace pontiva {

// Log10(0) is 0 on purpose: a zero reference on a log axis reads as 1.
// Otherwise ln(value) / ln(10) in double precision (NaN for a negative value;
// the transform checks for that before it uses the result).
double Log10(double value);

} // namespace pontiva
