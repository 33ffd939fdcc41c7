// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The clipping area of the picture viewport.
#include "view/viewportclip.h"

#include <QScrollBar>
#include <QWheelEvent>

ViewportClip::ViewportClip(QWidget *parent)
    : QWidget(parent)
{
}

void ViewportClip::setScrollBars(QScrollBar *horizontal, QScrollBar *vertical)
{
    Horizontal = horizontal;
    Vertical = vertical;
}

void ViewportClip::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    const bool sideways = (event->modifiers() & Qt::ShiftModifier) || delta.x() != 0;
    QScrollBar *bar = sideways ? Horizontal : Vertical;
    const int steps = (sideways && delta.x() != 0 ? delta.x() : delta.y()) / 120;
    if (!bar || !bar->isVisible() || steps == 0) {
        event->ignore();
        return;
    }
    bar->setValue(bar->value() - steps * 3 * bar->singleStep());
    event->accept();
}
