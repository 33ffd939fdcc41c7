// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A square that shows the picture around the reading position, enlarged.
#include "view/magnifier.h"

#include "view/picturepanel.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

Magnifier::Magnifier(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setCursor(Qt::PointingHandCursor);
    // Every pixel is painted here, so the window behind need not be painted
    // first: a move repaints this square alone.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Magnifier::setSource(const PicturePanel *panel)
{
    Source = panel;
    // Only a change within the enlarged square is worth painting it again.
    connect(panel, &PicturePanel::drawingChanged, this, [this](const QRectF &area) {
        if (Shown && area.intersects(shownArea()))
            update();
    });
}

void Magnifier::setZoom(int factor)
{
    if (factor == Zoom)
        return;
    Zoom = factor;
    update();
    emit zoomChanged(Zoom);
}

void Magnifier::showAim(const ReadingPosition &aim)
{
    Current = aim;
    Shown = true;
    update();
}

void Magnifier::clear()
{
    Shown = false;
    update();
}

void Magnifier::mousePressEvent(QMouseEvent *event)
{
    setZoom(Zoom == 8 ? 4 : 8);
    event->accept();
}

QRectF Magnifier::shownArea() const
{
    const double half = contentsRect().width() / (2.0 * Zoom) + 2;
    return QRectF(Current.pointer - QPointF(half, half), QSizeF(2 * half, 2 * half));
}

void Magnifier::paintEvent(QPaintEvent *event)
{
    {
        QPainter background(this);
        background.fillRect(rect(), palette().color(QPalette::Window));
    }
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect area = contentsRect();
    if (!Shown || !Source || !Source->hasPicture())
        return;
    p.setClipRect(area);
    const QImage &picture = Source->picture();
    const QPointF centre = QRectF(area).center();
    const double half = area.width() / (2.0 * Zoom);

    // Picture pixels around the pointer, one square each.
    p.save();
    p.translate(centre);
    p.scale(Zoom, Zoom);
    p.translate(-Current.pointer);
    const QRect source = QRect(QPoint(int(std::floor(Current.pointer.x() - half)) - 1,
                                      int(std::floor(Current.pointer.y() - half)) - 1),
                               QPoint(int(std::ceil(Current.pointer.x() + half)) + 1,
                                      int(std::ceil(Current.pointer.y() + half)) + 1))
                             .intersected(picture.rect());
    if (!source.isEmpty())
        p.drawImage(QRectF(source), picture, source);
    Source->paintDrawing(p, QRectF(source));
    p.restore();

    // Crosshair through the exact reading position, on top of everything.
    const QPointF reading = centre + (Current.reading - Current.pointer) * Zoom;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 150, 255), 1));
    p.drawLine(QPointF(area.left(), reading.y()), QPointF(area.right() + 1, reading.y()));
    p.drawLine(QPointF(reading.x(), area.top()), QPointF(reading.x(), area.bottom() + 1));
    if (Current.snapped) {
        p.setPen(QPen(QColor(255, 140, 0), 2));
        p.drawEllipse(reading, 5, 5);
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.drawLine(centre - QPointF(4, 0), centre + QPointF(4, 0));
        p.drawLine(centre - QPointF(0, 4), centre + QPointF(0, 4));
    } else if (Current.searched) {
        // Snapping looked and found nothing it trusts: a broken grey ring,
        // and the reading is the pointer's own.
        p.setPen(QPen(QColor(120, 120, 120), 1.5, Qt::DashLine));
        p.drawEllipse(reading, 6, 6);
    }
    if (!Note.isEmpty()) {
        QFont small = font();
        small.setPixelSize(10);
        p.setFont(small);
        const int lines = int(Note.count(QLatin1Char('\n'))) + 1;
        const QRect band(area.left(), area.bottom() - 12 * lines - 1, area.width(), 12 * lines + 2);
        p.fillRect(band, QColor(255, 255, 255, 210));
        p.setPen(Qt::black);
        p.drawText(band, Qt::AlignCenter, Note);
    }
}

void Magnifier::setNote(const QString &note)
{
    if (note == Note)
        return;
    Note = note;
    update();
}
