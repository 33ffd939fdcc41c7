// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The clipping area of the picture viewport.
#include "view/viewportclip.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace {

// Paints only its border; clicks go through to the picture below.
class FocusFrameOverlay : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};

} // namespace

ViewportClip::ViewportClip(QWidget *parent)
    : QWidget(parent)
{
}

void ViewportClip::showFocusFrame(bool on)
{
    if (!FocusFrame) {
        FocusFrame = new FocusFrameOverlay(this);
        FocusFrame->setObjectName(QStringLiteral("FocusFrame"));
        FocusFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
        FocusFrame->setAttribute(Qt::WA_NoSystemBackground);
    }
    FocusFrame->setGeometry(rect());
    FocusFrame->raise();
    FocusFrame->setVisible(on);
}

void ViewportClip::setScrollBars(QScrollBar *horizontal, QScrollBar *vertical)
{
    Horizontal = horizontal;
    Vertical = vertical;
}

void ViewportClip::fitScrollBarsTo(QSize panel)
{
    // Qt's scroll bars hold 32-bit values, so even a picture that exceeds the
    // viewport by more than 32767 pixels stays reachable to its far edge.
    const QSize view = size();
    Horizontal->setRange(0, std::max(0, panel.width() - view.width()));
    Vertical->setRange(0, std::max(0, panel.height() - view.height()));
    Horizontal->setPageStep(std::max(1, view.width() * 9 / 10));
    Vertical->setPageStep(std::max(1, view.height() * 9 / 10));
    Horizontal->setSingleStep(16);
    Vertical->setSingleStep(16);
    Vertical->setVisible(view.height() < panel.height());
    Horizontal->setVisible(view.width() < panel.width());
}

void ViewportClip::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        // Fine-grained wheels send parts of a notch: they add up.
        WheelRest += delta.y();
        const int steps = WheelRest / 120;
        WheelRest -= steps * 120;
        if (steps != 0)
            emit zoomWheel(steps, event->position().toPoint());
        event->accept();
        return;
    }
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
