// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Halved copies of a large picture, so a zoomed-out view paints from a small
// one and a 1-pixel line neither vanishes nor flickers.
#pragma once

#include <QFuture>
#include <QImage>

#include <memory>
#include <vector>

// Copy k is the picture at 1/2^(k+1) of its size, each pixel the average of
// the 2 x 2 pixels below it; together they cost a third of the picture.
struct PrescaledCopies {
    std::vector<QImage> halves;
    // The smallest copy at least `zoom` of the picture's size, and its scale;
    // the picture itself (scale 1) when none is.
    std::pair<const QImage *, double> forZoom(const QImage &picture, double zoom) const;
};

// Built on a worker thread; nothing for a picture too small to need them.
QFuture<std::shared_ptr<const PrescaledCopies>> buildPrescaledCopies(QImage picture);
// The same, here and now.
std::shared_ptr<const PrescaledCopies> prescaledCopiesOf(const QImage &picture);
