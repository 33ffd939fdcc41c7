// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Found points shown over the picture before any is recorded.
#pragma once

#include "extraction/candidateset.h"

#include <QRectF>

class PicturePanel;

// Kept candidates as cyan rings, dropped ones as small grey rings, a traced
// curve's centre line in magenta: drawings over the picture, never its pixels.
void showCandidates(PicturePanel &panel, const pontiva::CandidateSet &candidates);
// The rectangle a Shift+drag is drawing (picture pixels); an empty one: none.
void showSearchArea(PicturePanel &panel, const QRectF &area);
