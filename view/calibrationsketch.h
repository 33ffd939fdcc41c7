// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The small diagram that shows where the three reference points belong.
#pragma once

class PicturePanel;

// Two axes from a common corner, the three points in their colours on them
// and their numbers, on a panel scaled 0..100 with y up.
void drawCalibrationSketch(PicturePanel &panel);
