// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A picture box that keeps its picture and what was drawn on it.
#include "view/picturepanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

PicturePanel::PicturePanel(QWidget *parent)
    : QFrame(parent)
{
    setMouseTracking(true); // moves with no button pressed drive the readout
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setFocusPolicy(Qt::ClickFocus);
}

void PicturePanel::setPicture(QImage picture)
{
    Picture = std::move(picture);
    Operations.clear();
    if (AutoSize)
        fitToPicture();
    update();
}

void PicturePanel::setAutoSize(bool on)
{
    AutoSize = on;
    if (AutoSize)
        fitToPicture();
}

void PicturePanel::fitToPicture()
{
    if (Picture.isNull())
        return;
    const int border = 2 * frameWidth();
    resize(Picture.width() + border, Picture.height() + border);
}

void PicturePanel::setScale(float left, float top, float right, float bottom)
{
    ScaleLeft = left;
    ScaleTop = top;
    ScaleWidth = right - left;
    ScaleHeight = bottom - top;
}

QPointF PicturePanel::logicalFromPixel(QPointF pixel) const
{
    const QRect area = contentsRect();
    const double x = pixel.x() - area.left();
    const double y = pixel.y() - area.top();
    if (ScaleWidth == 0 || ScaleHeight == 0 || area.width() <= 0 || area.height() <= 0)
        return {x, y};
    return {ScaleLeft + x * ScaleWidth / area.width(), ScaleTop + y * ScaleHeight / area.height()};
}

QPointF PicturePanel::logicalFromArea(QPointF areaPixel) const
{
    return logicalFromPixel(areaPixel + QPointF(contentsRect().topLeft()));
}

QPointF PicturePanel::pixelFromLogical(QPointF logical) const
{
    const QRect area = contentsRect();
    if (ScaleWidth == 0 || ScaleHeight == 0)
        return logical;
    return {(logical.x() - ScaleLeft) * area.width() / ScaleWidth,
            (logical.y() - ScaleTop) * area.height() / ScaleHeight};
}

int PicturePanel::addOperation(Operation op)
{
    op.id = ++LastId;
    Operations.push_back(std::move(op));
    update();
    emit drawingChanged();
    return LastId;
}

void PicturePanel::removeDrawing(int id)
{
    const auto found = std::find_if(Operations.begin(), Operations.end(),
                                    [id](const Operation &op) { return op.id == id; });
    if (found == Operations.end())
        return;
    Operations.erase(found);
    update();
    emit drawingChanged();
}

void PicturePanel::drawLine(QPointF from, QPointF to)
{
    addOperation({Operation::Line, ForeColor, DrawWidth, pixelFromLogical(from), pixelFromLogical(to), {}});
}

int PicturePanel::drawDot(QPointF at)
{
    const QPointF p = pixelFromLogical(at);
    return addOperation({Operation::Dot, ForeColor, DrawWidth, p, p, {}});
}

void PicturePanel::drawText(QPointF at, const QString &text)
{
    const QPointF p = pixelFromLogical(at);
    addOperation({Operation::Text, ForeColor, DrawWidth, p, p, text});
}

void PicturePanel::clearDrawing()
{
    Operations.clear();
    update();
    emit drawingChanged();
}

void PicturePanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QRect area = contentsRect();
    QPainter painter(this);
    painter.setClipRect(area & event->rect());
    if (!Picture.isNull()) {
        // Only the exposed part: a full scan can be far larger than the view.
        const QRect target = QRect(area.topLeft(), Picture.size()) & event->rect();
        if (!target.isEmpty())
            painter.drawImage(target, Picture, target.translated(-area.topLeft()));
    }
    painter.translate(area.topLeft());
    paintDrawing(painter, QRectF(event->rect().translated(-area.topLeft())));
}

void PicturePanel::paintDrawing(QPainter &painter, const QRectF &exposed) const
{
    for (const Operation &op : Operations) {
        switch (op.kind) {
        case Operation::Line:
            painter.setPen(QPen(op.colour, op.width, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(op.from, op.to);
            break;
        case Operation::Dot: {
            // Centred on the pixel the point falls in.
            const QPointF centre(std::floor(op.from.x()) + 0.5, std::floor(op.from.y()) + 0.5);
            const double radius = op.width / 2.0;
            if (!exposed.intersects(QRectF(centre.x() - radius - 1, centre.y() - radius - 1,
                                           2 * radius + 2, 2 * radius + 2)))
                break;
            painter.setPen(Qt::NoPen);
            painter.setBrush(op.colour);
            if (op.width <= 1)
                painter.fillRect(QRectF(std::floor(op.from.x()), std::floor(op.from.y()), 1, 1), op.colour);
            else
                painter.drawEllipse(centre, radius, radius);
            painter.setBrush(Qt::NoBrush);
            break;
        }
        case Operation::Text: {
            painter.setPen(op.colour);
            const QFontMetrics metrics(font());
            painter.drawText(op.from + QPointF(0, metrics.ascent()), op.text);
            break;
        }
        }
    }
}


void PicturePanel::mouseMoveEvent(QMouseEvent *event)
{
    Fine = event->position() - QPointF(contentsRect().topLeft());
    const QPointF p = logicalFromPixel(event->position());
    emit mouseMoved(event->buttons(), event->modifiers(), float(p.x()), float(p.y()));
}

void PicturePanel::mousePressEvent(QMouseEvent *event)
{
    Fine = event->position() - QPointF(contentsRect().topLeft());
    const QPointF p = logicalFromPixel(event->position());
    emit mousePressed(event->button(), event->modifiers(), float(p.x()), float(p.y()));
}

// The pointer over the picture brings the keyboard with it, except from a
// text field the user is typing in.
void PicturePanel::enterEvent(QEnterEvent *event)
{
    QFrame::enterEvent(event);
    if (!qobject_cast<QLineEdit *>(QApplication::focusWidget()))
        setFocus(Qt::MouseFocusReason);
}

void PicturePanel::keyPressEvent(QKeyEvent *event)
{
    if (Picture.isNull() || !Fine) {
        QFrame::keyPressEvent(event);
        return;
    }
    const double step = event->modifiers() & Qt::ShiftModifier ? CoarseStep : FineStep;
    QPointF move;
    switch (event->key()) {
    case Qt::Key_Left: move = {-step, 0}; break;
    case Qt::Key_Right: move = {step, 0}; break;
    case Qt::Key_Up: move = {0, -step}; break;
    case Qt::Key_Down: move = {0, step}; break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        event->accept();
        if (event->isAutoRepeat())
            return; // a held key records one point, not a burst
        const QPointF p = logicalFromArea(*Fine);
        emit mousePressed(Qt::LeftButton, event->modifiers(), float(p.x()), float(p.y()));
        return;
    }
    default:
        QFrame::keyPressEvent(event);
        return;
    }
    // Arrows stay with the picture: they never move focus to another control.
    event->accept();
    // Stops at the edges: the last position inside is one fine step short of the far edge.
    const QPointF limit(Picture.width() - FineStep, Picture.height() - FineStep);
    Fine = QPointF(std::clamp(Fine->x() + move.x(), 0.0, limit.x()), std::clamp(Fine->y() + move.y(), 0.0, limit.y()));
    const QPointF p = logicalFromArea(*Fine);
    emit mouseMoved(Qt::NoButton, event->modifiers(), float(p.x()), float(p.y()));
}
