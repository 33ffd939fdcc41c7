// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The synthetic chart the snapping benchmarks read: a light grid over 1600 x 1200.
#pragma once

#include <QPainter>
#include <QPointF>
#include <vector>

namespace bench {

// One-pixel grid lines at sub-pixel offsets; returns where they cross.
inline std::vector<QPointF> drawGrid(QPainter &p)
{
    std::vector<QPointF> crossings;
    p.setPen(QPen(QColor(190, 190, 210), 1));
    for (int x = 100; x <= 1500; x += 70)
        p.drawLine(QPointF(x + 0.3, 100), QPointF(x + 0.3, 1100));
    for (int y = 100; y <= 1100; y += 50)
        p.drawLine(QPointF(100, y + 0.6), QPointF(1500, y + 0.6));
    for (int x = 100; x <= 1500; x += 70)
        for (int y = 100; y <= 1100; y += 50)
            crossings.emplace_back(x + 0.3, y + 0.6);
    return crossings;
}

} // namespace bench
