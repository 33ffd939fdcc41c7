// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where a position on the picture is read: there, or at the mark or crossing snapping finds.
#pragma once

#include <QPointF>

class PicturePanel;

// One position as the handlers and the magnifier need it.
struct ReadingPosition {
    QPointF pointer;   // picture pixels, where the pointer or fine position is
    QPointF reading;   // picture pixels, where it is read
    float x = 0, y = 0; // logical coordinates of `reading`, as the handlers take them
    bool snapped = false;
    bool searched = false; // snapping was on and looked (found or not)
};

// With snapping off the reading position is the position itself, to the
// bit. With it on: while calibrating, the nearest crossing of two lines (or
// the centre of a dot); while reading, the centre of the mark under or
// nearest the pointer, filled or hollow; the position itself where nothing
// is found that snapping trusts. Only the picture's own pixels count, never
// what is drawn over them.
class ReadingAim
{
public:
    void setSnapping(bool on) { Snapping = on; }
    bool snapping() const { return Snapping; }

    ReadingPosition aim(const PicturePanel &panel, float x, float y, bool calibrating) const;

private:
    bool Snapping = false;
};
