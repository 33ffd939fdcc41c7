// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A picture box that keeps its picture and what was drawn on it.
#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPointF>
#include <QString>
#include <optional>
#include <vector>

class QPainter;

// Holds one background picture and a list of drawing operations replayed on
// every paint, so marks survive repaints, scrolling and hiding without a
// second full-size image. Positions given to the drawing calls and reported
// by the mouse signals are in the panel's logical coordinates, set from the
// logical values of its top-left and bottom-right corners.
//
// With keyboard focus, the arrow keys move a fine position by an eighth of a
// picture pixel (Shift+arrow: a whole pixel) from where the pointer last was,
// reported as a pointer move; Space and Return report a press there.
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
    // Logical coordinates of a point of the drawing area, in its pixels.
    QPointF logicalFromArea(QPointF areaPixel) const;

    // What was drawn, replayed on a painter whose coordinates are the
    // drawing area's pixels (scaled as the caller likes).
    void paintDrawing(QPainter &painter, const QRectF &exposed) const;

    // Steps of the fine position, in picture pixels.
    static constexpr double FineStep = 1.0 / 8;
    static constexpr double CoarseStep = 1.0;

signals:
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, float x, float y);
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);
    // Anything drawn, removed or cleared.
    void drawingChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;

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
    // Drawing-area pixels; set by every pointer move and press.
    std::optional<QPointF> Fine;
};
