// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The drawings of one layer, found by where they lie so that painting a small area costs little.
#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <unordered_map>
#include <vector>

// One drawing in picture pixels.
struct Drawing {
    enum Kind { Line, Dot, Text, Ring } kind = Dot;
    QColor colour;
    int width = 1;
    QPointF from;
    QPointF to;
    QString text;
    int id = 0;
    bool hairline = false; // one screen pixel wide at any enlargement (the grid's lines)
};

// Drawings listed by the cells of a grid over the picture that their points
// fall in, so a paint of a few pixels visits a few drawings even when a
// hundred thousand points are recorded. They are visited in the order they
// were added, so later ones lie on top.
class DrawingStore
{
public:
    void add(const Drawing &d);
    // The drawing taken out, if it was there.
    bool remove(int id, Drawing *removed = nullptr);
    void clear();
    int size() const { return int(ById.size()); }
    // The widest pen of any drawing here, in screen pixels.
    int widest() const { return Widest; }
    bool empty() const { return ById.empty(); }

    // Every drawing whose points lie in `area` grown by `margin` (what a
    // mark reaches beyond its point), oldest first. Texts are always visited.
    void forEachNear(const QRectF &area, double margin, const std::function<void(const Drawing &)> &visit) const;

private:
    static constexpr double Cell = 64; // picture pixels
    using Key = long long;
    static Key key(long long column, long long row) { return (row << 32) ^ (column & 0xFFFFFFFF); }
    void cellsOf(const Drawing &d, const std::function<void(Key)> &each) const;

    std::unordered_map<int, Drawing> ById;
    std::unordered_map<Key, std::vector<int>> Cells;
    std::vector<int> Texts;
    int Widest = 0;
};
