// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The clipping area of the picture viewport.
#pragma once

#include <QWidget>

class QScrollBar;

// Clips the picture panel that moves inside it, and turns the mouse wheel
// over the picture into scroll-bar steps, as users expect of any viewer.
class ViewportClip : public QWidget
{
    Q_OBJECT
public:
    explicit ViewportClip(QWidget *parent = nullptr);
    void setScrollBars(QScrollBar *horizontal, QScrollBar *vertical);
    // Ranges, steps and visibility of both bars for a picture panel of that
    // size; the panel's position follows the bars' values.
    void fitScrollBarsTo(QSize panel);
    // A frame round the viewport, over the picture, while the picture has the keyboard.
    void showFocusFrame(bool on);

signals:
    // Ctrl+wheel: zoom by `steps` notches about `at` (viewport pixels).
    void zoomWheel(int steps, QPoint at);

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    QScrollBar *Horizontal = nullptr;
    QScrollBar *Vertical = nullptr;
    QWidget *FocusFrame = nullptr;
    int WheelRest = 0;
};
