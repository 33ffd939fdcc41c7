// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A picture box that keeps its picture and what was drawn on it, in layers.
#pragma once

#include "view/drawingstore.h"

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPointF>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
struct PrescaledCopies;

// What is drawn over the picture, bottom to top. Markers and dots are the
// marks the reading workflow draws and clears; the others are aids of their
// own. None of them is ever part of the picture's pixels.
enum class DrawingLayer { Grid, Markers, Dots, Candidates, Trace };
inline constexpr int DrawingLayerCount = 5;

// Holds one background picture and its drawings, replayed on every paint, so
// marks survive repaints, scrolling and hiding without a second full-size
// image. Drawings are kept in picture pixels (continuous: pixel i covers
// [i, i + 1)); a panel without a picture uses its drawing area's pixels. The
// drawing calls and the mouse signals speak the panel's logical coordinates,
// set from the logical values of its top-left and bottom-right corners. The
// panel shows the picture through one picture-to-screen scale, its zoom.
//
// With keyboard focus, the arrow keys move a fine position by an eighth of a
// picture pixel (Shift+arrow: a whole pixel) from where the pointer last was,
// reported as a pointer move; Space and Return report a press there.
class PicturePanel : public QFrame
{
    Q_OBJECT
public:
    explicit PicturePanel(QWidget *parent = nullptr);

    // Replaces the picture and drops every drawing on it.
    void setPicture(QImage picture);
    const QImage &picture() const { return Picture; }
    bool hasPicture() const { return !Picture.isNull(); }

    // While on, the panel takes the picture's size at its zoom (plus its border).
    void setAutoSize(bool on);

    // Logical coordinates of the drawing area's top-left and bottom-right corners.
    void setScale(float left, float top, float right, float bottom);

    // The pen the next drawing takes, kept until changed.
    void setDrawWidth(int pixels) { DrawWidth = pixels < 1 ? 1 : pixels; }
    int drawWidth() const { return DrawWidth; }
    void setForeColor(const QColor &colour) { ForeColor = colour; }
    QColor foreColor() const { return ForeColor; }

    // Each returns a number that removeDrawing() takes to remove just that drawing.
    int drawLine(QPointF from, QPointF to, DrawingLayer layer = DrawingLayer::Markers);
    // A filled round spot, drawWidth() screen pixels across, centred on the
    // pixel the point falls in.
    int drawDot(QPointF at, DrawingLayer layer = DrawingLayer::Markers);
    // A circle drawWidth() screen pixels across centred exactly on the
    // point, its outline two pixels wide: a found point not yet recorded.
    int drawRing(QPointF at, DrawingLayer layer = DrawingLayer::Candidates);
    // Top-left corner of the text at the point, no background box.
    int drawText(QPointF at, const QString &text, DrawingLayer layer = DrawingLayer::Markers);
    // The marks the workflow draws (markers and dots) go; the aids stay.
    void clearDrawing();
    void clearLayer(DrawingLayer layer);
    // Removes one drawing if it is still there (a clear may have taken it).
    void removeDrawing(int id);
    // The workflow's marks (markers and dots), or one layer's drawings.
    int drawingCount() const;
    int drawingCount(DrawingLayer layer) const { return Layers[std::size_t(layer)].size(); }

    // Picture pixels and logical coordinates; a panel without a picture
    // takes its drawing area's pixels as its picture pixels.
    QPointF logicalFromPicture(QPointF picturePixel) const;
    QPointF pictureFromLogical(QPointF logical) const;
    // Widget pixels and picture pixels, through the zoom.
    QPointF pictureFromWidget(QPointF widgetPixel) const;
    QPointF widgetFromPicture(QPointF picturePixel) const;

    // Screen pixels per picture pixel.
    double zoom() const { return Zoom; }
    void setZoom(double zoom);
    // Halved copies of the picture that a zoomed-out view paints from (they
    // may come after the picture, from a worker).
    void setPrescaled(std::shared_ptr<const PrescaledCopies> copies);
    // Where a picture position lands on a painter of that zoom.
    static QPointF onScreen(QPointF picturePixel, double zoom);

    // The drawings over `exposed` (picture pixels), on a painter whose
    // coordinates are picture pixels times `zoom`; marks keep their size in
    // the painter's units.
    void paintDrawing(QPainter &painter, const QRectF &exposed, double zoom = 1) const;

    // Steps of the fine position, in picture pixels.
    static constexpr double FineStep = 1.0 / 8;
    static constexpr double CoarseStep = 1.0;

signals:
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, float x, float y);
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);
    // Something was drawn, removed or cleared over `area` (picture pixels).
    void drawingChanged(const QRectF &area);
    // The keyboard came by Tab (or went): a frame should show where it is.
    void keyboardFocusChanged(bool byKeyboard);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int add(DrawingLayer layer, Drawing d);
    void paintOne(QPainter &painter, const Drawing &d, double zoom) const;
    void paintZoomed(QPainter &painter, const QRect &exposed, QPoint origin) const;
    // What a drawing covers on screen, in picture pixels, at this zoom.
    QRectF extent(const Drawing &d) const;
    void changed(const QRectF &picturePixels);
    void fitToPicture();
    QSizeF pictureSize() const;

    QImage Picture;
    std::array<DrawingStore, DrawingLayerCount> Layers;
    bool AutoSize = false;
    float ScaleLeft = 0, ScaleTop = 0, ScaleWidth = 0, ScaleHeight = 0; // 0 width: pixels
    int DrawWidth = 1;
    int LastId = 0;
    double Zoom = 1;
    std::shared_ptr<const PrescaledCopies> Prescaled;
    QColor ForeColor = Qt::black;
    // Picture pixels; set by every pointer move and press.
    std::optional<QPointF> Fine;
};
