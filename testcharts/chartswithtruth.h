// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Charts whose features lie at known places: real charts with truth measured
// from their ink, and scan-like charts drawn here (thick, blurred, turned,
// JPEG-damaged, labels at the corners, marks of every common kind).
#pragma once

#include "snapping/pixelbuffer.h"

#include <QImage>
#include <QPointF>
#include <QString>

#include <vector>

struct ChartWithTruth {
    QString kind; // what makes it hard, as a row of the accuracy table
    QImage picture;
    std::vector<QPointF> crossings; // where two lines' centre lines cross or meet
    std::vector<QPointF> marks;     // each mark's centre (a triangle's centroid)
};

enum class Shape { Disc, Square, Diamond, Triangle, Ring, OpenSquare };
class QPainter;
class QColor;
// Draws a mark `size` across with its centre (a triangle's centroid) at `centre`.
QPointF drawMark(QPainter &p, Shape shape, QPointF centre, double size, QColor colour);

std::vector<ChartWithTruth> realCharts();
std::vector<ChartWithTruth> scanLikeCharts();

pontiva::PixelBuffer pixelsOf(const QImage &picture);
// Through JPEG at `quality` and back, as scans and exports come.
QImage throughJpeg(const QImage &picture, int quality);
// What a scanner does after the drawing: a soft focus, grain, JPEG 70.
QImage scanned(const QImage &drawn, unsigned seed);
