// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A picture box that keeps its picture and what was drawn on it.
#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPointF>
#include <QString>
#include <vector>

// Holds one background picture and a list of drawing operations replayed on
// every paint, so marks survive repaints, scrolling and hiding without a
// second full-size image. Positions given to the drawing calls and reported
// by the mouse signals are in the panel's logical coordinates, set from the
// logical values of its top-left and bottom-right corners.
class PicturePanel : public QFrame
{
    Q_OBJECT
public:
    explicit PicturePanel(QWidget *parent = nullptr);

    // Replaces the picture and drops every mark drawn on it.
    void setPicture(QImage picture);
    const QImage &picture() const { return Picture; }
    bool hasPicture() const { return !Picture.isNull(); }

    // While on, the panel takes the picture's size (plus its border).
    void setAutoSize(bool on);

    // Logical coordinates of the drawing area's top-left and bottom-right corners.
    void setScale(float left, float top, float right, float bottom);

    void setDrawWidth(int pixels) { DrawWidth = pixels < 1 ? 1 : pixels; }
    int drawWidth() const { return DrawWidth; }
    void setForeColor(const QColor &colour) { ForeColor = colour; }
    QColor foreColor() const { return ForeColor; }

    void drawLine(QPointF from, QPointF to);
    // A filled round spot, drawWidth() pixels across, centred on the point.
    // Returns a number that removeDrawing() takes to remove just this spot.
    int drawDot(QPointF at);
    // Top-left corner of the text at the point, no background box.
    void drawText(QPointF at, const QString &text);
    void clearDrawing();
    // Removes one drawing if it is still there (a clear may have taken it).
    void removeDrawing(int id);
    int drawingCount() const { return int(Operations.size()); }

    QPointF logicalFromPixel(QPointF pixel) const;
    QPointF pixelFromLogical(QPointF logical) const;

signals:
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, float x, float y);
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    struct Operation {
        enum Kind { Line, Dot, Text } kind;
        QColor colour;
        int width;
        QPointF from; // pixels within the drawing area
        QPointF to;
        QString text;
        int id = 0;
    };
    int addOperation(Operation op);
    void fitToPicture();

    QImage Picture;
    std::vector<Operation> Operations;
    bool AutoSize = false;
    float ScaleLeft = 0, ScaleTop = 0, ScaleWidth = 0, ScaleHeight = 0; // 0 width: pixels
    int DrawWidth = 1;
    int LastId = 0;
    QColor ForeColor = Qt::black;
};
