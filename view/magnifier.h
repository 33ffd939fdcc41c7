// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A square that shows the picture around the reading position, enlarged.
#pragma once

#include "view/readingaim.h"

#include <QFrame>
#include <QString>

class PicturePanel;

// Picture pixels appear as squares (nearest neighbour), with the marks drawn
// on the picture, a thin crosshair at the exact reading position (between
// pixel centres as often as not) and, when snapping found something, a ring
// there and a small cross where the pointer is; when it looked and found
// nothing, a broken grey ring. Shows nothing until it has
// a position on a picture. A click switches between the two enlargements.
class Magnifier : public QFrame
{
    Q_OBJECT
public:
    explicit Magnifier(QWidget *parent = nullptr);

    void setSource(const PicturePanel *panel);
    void setZoom(int factor);
    int zoom() const { return Zoom; }
    void showAim(const ReadingPosition &aim);
    void clear();
    // A line of text written along the bottom edge (empty: none).
    void setNote(const QString &note);
    const QString &note() const { return Note; }
    bool hasAim() const { return Shown; }

signals:
    void zoomChanged(int factor);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // The picture pixels the square shows.
    QRectF shownArea() const;

    const PicturePanel *Source = nullptr;
    int Zoom = 8;
    bool Shown = false;
    ReadingPosition Current;
    QString Note;
};
