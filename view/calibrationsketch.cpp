// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The small diagram that shows where the three reference points belong.
#include "view/calibrationsketch.h"

#include "view/picturepanel.h"
#include "view/pointcolours.h"

void drawCalibrationSketch(PicturePanel &p)
{
    p.setScale(0, 100, 100, 0);
    p.drawLine({20, 20}, {80, 20});
    p.drawLine({20, 20}, {20, 80});
    p.setDrawWidth(5);
    p.setForeColor(Point0Colour);
    p.drawDot({20, 20});
    p.setForeColor(Point2Colour);
    p.drawDot({20, 60});
    p.setForeColor(Point1Colour);
    p.drawDot({60, 20});
    p.setForeColor(Qt::black);
    p.drawText({77, 15}, QStringLiteral("X"));
    p.drawText({10, 80}, QStringLiteral("Y"));
    p.setForeColor(Point0Colour);
    p.drawText({13, 14}, QStringLiteral("0"));
    p.setForeColor(Point1Colour);
    p.drawText({55, 14}, QStringLiteral("1"));
    p.setForeColor(Point2Colour);
    p.drawText({11, 60}, QStringLiteral("2"));
}
