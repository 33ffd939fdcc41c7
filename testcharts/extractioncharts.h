// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Charts for extraction, with every mark's centre and every curve's centre
// line known: several series of marks that differ in one respect each, a
// legend, and curves that cross each other and the grid.
#pragma once

#include "chartswithtruth.h"

#include <QRect>

struct SeriesChart {
    QString kind;
    QImage picture;
    std::array<QPointF, 3> references; // the frame's corners: origin, X end, Y end
    struct Series {
        QString name;
        std::vector<QPointF> marks;
        QPointF legend; // its sample in the legend, which a search may also find
    };
    std::vector<Series> series;
};

// Filled discs, squares, triangles and diamonds `size` across, rings and
// open squares, all dark, with red discs and discs half as large again
// beside them; lines joining each series, error bars on the squares, a
// touching and an overlapping pair among the discs.
SeriesChart markSeriesChart(double size, bool scanned);

// Ten each of the filled and hollow shapes, all dark, on their own: no
// line, no legend, a grid.
SeriesChart markScatterChart(double size, bool scanned);

// One shape in seven inks (black, red, blue, grey, green, orange and
// purple), eight marks each on a line of their ink, no legend. `ringPen`:
// rings drawn with that pen, where not 0.
SeriesChart inkSeriesChart(Shape shape, double size, bool scanned, double ringPen = 0);

struct CurveChart {
    QString kind;
    QImage picture;
    // Each curve's centre line, densely, from its left end to its right.
    std::vector<std::vector<QPointF>> curves;
    std::vector<bool> dashed;
};

// Two curves `width` wide in two colours crossing each other twice and a
// grid; the second dashed.
CurveChart crossingCurvesChart(double width, bool scanned);

// Distance from a point to a polyline.
double distanceTo(const std::vector<QPointF> &line, QPointF p);
