// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The colours of the three reference points, the same everywhere they appear.
#pragma once

#include <QColor>

inline const QColor Point0Colour(255, 0, 0); // and every recorded point
inline const QColor Point1Colour(0, 200, 0);
inline const QColor Point2Colour(0, 0, 255);
