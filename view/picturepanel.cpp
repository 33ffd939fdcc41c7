// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A picture box that keeps its picture and what was drawn on it, in layers.
#include "view/picturepanel.h"

#include "picture/prescaledcopies.h"

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
    Prescaled.reset();
    for (DrawingStore &layer : Layers)
        layer.clear();
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

void PicturePanel::setZoom(double zoom)
{
    if (!(zoom > 0) || zoom == Zoom)
        return;
    Zoom = zoom;
    if (AutoSize)
        fitToPicture();
    update();
}

void PicturePanel::fitToPicture()
{
    if (Picture.isNull())
        return;
    const int border = 2 * frameWidth();
    resize(int(std::ceil(Picture.width() * Zoom)) + border, int(std::ceil(Picture.height() * Zoom)) + border);
}

void PicturePanel::setScale(float left, float top, float right, float bottom)
{
    ScaleLeft = left;
    ScaleTop = top;
    ScaleWidth = right - left;
    ScaleHeight = bottom - top;
}

QSizeF PicturePanel::pictureSize() const
{
    if (!Picture.isNull())
        return Picture.size();
    return contentsRect().size();
}

QPointF PicturePanel::logicalFromPicture(QPointF p) const
{
    const QSizeF size = pictureSize();
    if (ScaleWidth == 0 || ScaleHeight == 0 || size.width() <= 0 || size.height() <= 0)
        return p;
    return {ScaleLeft + p.x() * ScaleWidth / size.width(), ScaleTop + p.y() * ScaleHeight / size.height()};
}

QPointF PicturePanel::pictureFromLogical(QPointF logical) const
{
    const QSizeF size = pictureSize();
    if (ScaleWidth == 0 || ScaleHeight == 0)
        return logical;
    return {(logical.x() - ScaleLeft) * size.width() / ScaleWidth,
            (logical.y() - ScaleTop) * size.height() / ScaleHeight};
}

// Picture pixel j covers screen pixels [j z, (j + 1) z); a position names a
// pixel as the 1:1 view does (pixel i at position i), so the centre of each
// screen pixel maps to the position at its centre: a click at x4 lands to a
// quarter of a picture pixel, and 1:1 is exactly the identity.
QPointF PicturePanel::pictureFromWidget(QPointF widgetPixel) const
{
    const QPointF inArea = widgetPixel - QPointF(contentsRect().topLeft());
    return Zoom == 1 ? inArea : (inArea + QPointF(0.5, 0.5)) / Zoom - QPointF(0.5, 0.5);
}

QPointF PicturePanel::widgetFromPicture(QPointF picturePixel) const
{
    return QPointF(contentsRect().topLeft()) + onScreen(picturePixel, Zoom);
}

QPointF PicturePanel::onScreen(QPointF picturePixel, double zoom)
{
    return zoom == 1 ? picturePixel : (picturePixel + QPointF(0.5, 0.5)) * zoom - QPointF(0.5, 0.5);
}

void PicturePanel::setPrescaled(std::shared_ptr<const PrescaledCopies> copies)
{
    Prescaled = std::move(copies);
    if (Zoom < 1)
        update();
}

int PicturePanel::add(DrawingLayer layer, Drawing d)
{
    d.id = ++LastId;
    // An aid to check the picture by must not hide it, even magnified.
    d.hairline = layer == DrawingLayer::Grid && d.kind == Drawing::Line;
    Layers[std::size_t(layer)].add(d);
    changed(extent(d));
    return LastId;
}

QRectF PicturePanel::extent(const Drawing &d) const
{
    // Marks keep their size on screen, so they reach further in picture
    // pixels when zoomed out; a text reaches about a line right and down.
    const double reach = (d.width / 2.0 + 2) / Zoom;
    QRectF r = QRectF(d.from, d.to).normalized().adjusted(-reach, -reach, reach, reach);
    if (d.kind == Drawing::Text)
        r = QRectF(d.from, QSizeF(fontMetrics().horizontalAdvance(d.text) + 2, fontMetrics().height() + 2) / Zoom)
                .adjusted(-1, -1, 1, 1);
    // A dot sits at the centre of the pixel its point falls in.
    if (d.kind == Drawing::Dot)
        r.adjust(-1, -1, 1, 1);
    return r;
}

// Only what changed is painted again: a click costs the same with one
// recorded point or a hundred thousand.
void PicturePanel::changed(const QRectF &picturePixels)
{
    const QRectF onWidget(widgetFromPicture(picturePixels.topLeft()), picturePixels.size() * Zoom);
    update(onWidget.toAlignedRect().adjusted(-2, -2, 2, 2));
    emit drawingChanged(picturePixels);
}

void PicturePanel::removeDrawing(int id)
{
    for (DrawingStore &layer : Layers) {
        Drawing removed;
        if (layer.remove(id, &removed)) {
            changed(extent(removed));
            return;
        }
    }
}

int PicturePanel::drawLine(QPointF from, QPointF to, DrawingLayer layer)
{
    return add(layer, {Drawing::Line, ForeColor, DrawWidth, pictureFromLogical(from), pictureFromLogical(to), {}});
}

int PicturePanel::drawDot(QPointF at, DrawingLayer layer)
{
    const QPointF p = pictureFromLogical(at);
    return add(layer, {Drawing::Dot, ForeColor, DrawWidth, p, p, {}});
}

int PicturePanel::drawRing(QPointF at, DrawingLayer layer)
{
    const QPointF p = pictureFromLogical(at);
    return add(layer, {Drawing::Ring, ForeColor, DrawWidth, p, p, {}});
}

int PicturePanel::drawText(QPointF at, const QString &text, DrawingLayer layer)
{
    const QPointF p = pictureFromLogical(at);
    return add(layer, {Drawing::Text, ForeColor, DrawWidth, p, p, text});
}

void PicturePanel::clearDrawing()
{
    Layers[std::size_t(DrawingLayer::Markers)].clear();
    Layers[std::size_t(DrawingLayer::Dots)].clear();
    update();
    emit drawingChanged(QRectF(QPointF(), pictureSize()));
}

void PicturePanel::clearLayer(DrawingLayer layer)
{
    if (Layers[std::size_t(layer)].empty())
        return;
    Layers[std::size_t(layer)].clear();
    update();
    emit drawingChanged(QRectF(QPointF(), pictureSize()));
}

int PicturePanel::drawingCount() const
{
    return drawingCount(DrawingLayer::Markers) + drawingCount(DrawingLayer::Dots);
}

void PicturePanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QRect area = contentsRect();
    QPainter painter(this);
    painter.setClipRect(area & event->rect());
    const QRect exposed = area & event->rect();
    if (!Picture.isNull() && Zoom == 1) {
        // Only the exposed part: a full scan can be far larger than the view.
        const QRect target = QRect(area.topLeft(), Picture.size()) & event->rect();
        if (!target.isEmpty())
            painter.drawImage(target, Picture, target.translated(-area.topLeft()));
    } else if (!Picture.isNull()) {
        paintZoomed(painter, exposed.translated(-area.topLeft()), area.topLeft());
    }
    painter.translate(area.topLeft());
    const QRectF exposedPicture(QPointF(exposed.topLeft() - area.topLeft()) / Zoom - QPointF(1, 1),
                                QSizeF(exposed.size()) / Zoom + QSizeF(2, 2));
    paintDrawing(painter, exposedPicture, Zoom);
}

// Zoomed in, picture pixels are squares; zoomed out, the view paints from the
// nearest halved copy, smoothly, so thin lines stay; never a full-size
// scaled copy.
void PicturePanel::paintZoomed(QPainter &painter, const QRect &exposed, QPoint origin) const
{
    const auto [source, scale] = Prescaled && Zoom < 1 ? Prescaled->forZoom(Picture, Zoom)
                                                       : std::pair<const QImage *, double>{&Picture, 1.0};
    const double factor = Zoom / scale; // screen pixels per source pixel
    // The source pixels under the exposed area, whole, and where they land.
    const QRectF wanted(QPointF(exposed.topLeft()) / factor, QSizeF(exposed.size()) / factor);
    const QRect pixels = wanted.toAlignedRect().adjusted(-1, -1, 1, 1) & source->rect();
    if (pixels.isEmpty())
        return;
    const QRectF target(QPointF(pixels.topLeft()) * factor + QPointF(origin), QSizeF(pixels.size()) * factor);
    painter.save();
    // Smooth only from a copy: from the full picture the whole of it would
    // be read for one repaint (the copies are still being made).
    painter.setRenderHint(QPainter::SmoothPixmapTransform, factor < 1 && source != &Picture);
    painter.drawImage(target, *source, pixels);
    painter.restore();
}

void PicturePanel::paintDrawing(QPainter &painter, const QRectF &exposed, double zoom) const
{
    // Layers keep their order: the grid under the markers under the dots.
    // Marks keep their size on screen: zoomed out they reach further in
    // picture pixels.
    for (const DrawingStore &layer : Layers)
        layer.forEachNear(exposed, (layer.widest() / 2.0 + 2) / zoom + 1,
                          [&](const Drawing &d) { paintOne(painter, d, zoom); });
}

void PicturePanel::paintOne(QPainter &painter, const Drawing &d, double zoom) const
{
    switch (d.kind) {
    case Drawing::Line:
        painter.setPen(d.hairline ? QPen(d.colour, 0) : QPen(d.colour, d.width, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(onScreen(d.from, zoom), onScreen(d.to, zoom));
        break;
    case Drawing::Dot: {
        // Centred on the screen pixel the point falls in (at 1:1 the picture pixel).
        const QPointF at = onScreen(d.from, zoom);
        const QPointF centre(std::floor(at.x()) + 0.5, std::floor(at.y()) + 0.5);
        const double radius = d.width / 2.0;
        painter.setPen(Qt::NoPen);
        painter.setBrush(d.colour);
        if (d.width <= 1)
            painter.fillRect(QRectF(std::floor(at.x()), std::floor(at.y()), 1, 1), d.colour);
        else
            painter.drawEllipse(centre, radius, radius);
        painter.setBrush(Qt::NoBrush);
        break;
    }
    case Drawing::Ring: {
        const double radius = d.width / 2.0;
        painter.setPen(QPen(d.colour, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(onScreen(d.from, zoom), radius, radius);
        break;
    }
    case Drawing::Text: {
        painter.setPen(d.colour);
        const QFontMetrics metrics(font());
        painter.drawText(onScreen(d.from, zoom) + QPointF(0, metrics.ascent()), d.text);
        break;
    }
    }
}

void PicturePanel::mouseMoveEvent(QMouseEvent *event)
{
    Fine = pictureFromWidget(event->position());
    const QPointF p = logicalFromPicture(*Fine);
    emit mouseMoved(event->buttons(), event->modifiers(), float(p.x()), float(p.y()));
}

void PicturePanel::mousePressEvent(QMouseEvent *event)
{
    Fine = pictureFromWidget(event->position());
    const QPointF p = logicalFromPicture(*Fine);
    emit mousePressed(event->button(), event->modifiers(), float(p.x()), float(p.y()));
}

void PicturePanel::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF p = logicalFromPicture(pictureFromWidget(event->position()));
    emit mouseReleased(event->button(), event->modifiers(), float(p.x()), float(p.y()));
}

// The pointer over the picture brings the keyboard with it, except from a
// text field the user is typing in.
void PicturePanel::enterEvent(QEnterEvent *event)
{
    QFrame::enterEvent(event);
    if (!qobject_cast<QLineEdit *>(QApplication::focusWidget()))
        setFocus(Qt::MouseFocusReason);
}

// Reached by the keyboard with the pointer elsewhere, the fine position
// starts where it last was, or else at the centre of what is in view, so a
// point can be placed with the keys alone.
void PicturePanel::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    const bool byKeyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
        || reason == Qt::ShortcutFocusReason;
    emit keyboardFocusChanged(byKeyboard);
    if (!byKeyboard || Picture.isNull() || underMouse())
        return;
    if (!Fine) {
        const QRect visible = visibleRegion().boundingRect();
        const QPointF centre = visible.isEmpty() ? QPointF(Picture.width() / 2.0, Picture.height() / 2.0)
                                                 : pictureFromWidget(QRectF(visible).center());
        // On a pixel's centre, as a click there would be.
        Fine = QPointF(std::clamp(std::floor(centre.x()), 0.0, Picture.width() - 1.0) + 0.5,
                       std::clamp(std::floor(centre.y()), 0.0, Picture.height() - 1.0) + 0.5);
    }
    const QPointF p = logicalFromPicture(*Fine);
    emit mouseMoved(Qt::NoButton, Qt::NoModifier, float(p.x()), float(p.y()));
}

void PicturePanel::focusOutEvent(QFocusEvent *event)
{
    QFrame::focusOutEvent(event);
    emit keyboardFocusChanged(false);
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
        const QPointF p = logicalFromPicture(*Fine);
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
    const QPointF p = logicalFromPicture(*Fine);
    emit mouseMoved(Qt::NoButton, event->modifiers(), float(p.x()), float(p.y()));
}
