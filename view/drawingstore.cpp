// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The drawings of one layer, found by where they lie so that painting a small area costs little.
#include "view/drawingstore.h"

#include <algorithm>
#include <cmath>

namespace {

// Cells a long line crosses are listed one by one; past this many a line is
// simply visited on every paint.
constexpr long long MaximumCells = 4096;

long long cellOf(double v, double cell)
{
    return (long long)std::floor(std::clamp(v, -1e12, 1e12) / cell);
}

} // namespace

void DrawingStore::cellsOf(const Drawing &d, const std::function<void(Key)> &each) const
{
    const QRectF r = QRectF(d.from, d.to).normalized();
    const long long c0 = cellOf(r.left(), Cell), c1 = cellOf(r.right(), Cell);
    const long long r0 = cellOf(r.top(), Cell), r1 = cellOf(r.bottom(), Cell);
    if ((c1 - c0 + 1) * (r1 - r0 + 1) > MaximumCells) {
        each(key(-1LL << 31, -1LL << 31)); // the cell visited always
        return;
    }
    for (long long row = r0; row <= r1; ++row)
        for (long long column = c0; column <= c1; ++column)
            each(key(column, row));
}

void DrawingStore::add(const Drawing &d)
{
    ById[d.id] = d;
    Widest = std::max(Widest, d.width);
    if (d.kind == Drawing::Text) {
        Texts.push_back(d.id);
        return;
    }
    cellsOf(d, [this, &d](Key k) { Cells[k].push_back(d.id); });
}

bool DrawingStore::remove(int id, Drawing *removed)
{
    const auto found = ById.find(id);
    if (found == ById.end())
        return false;
    const Drawing d = found->second;
    ById.erase(found);
    if (d.kind == Drawing::Text)
        Texts.erase(std::remove(Texts.begin(), Texts.end(), id), Texts.end());
    else
        cellsOf(d, [this, id](Key k) {
            auto cell = Cells.find(k);
            if (cell == Cells.end())
                return;
            cell->second.erase(std::remove(cell->second.begin(), cell->second.end(), id), cell->second.end());
            if (cell->second.empty())
                Cells.erase(cell);
        });
    if (removed)
        *removed = d;
    return true;
}

void DrawingStore::clear()
{
    ById.clear();
    Cells.clear();
    Texts.clear();
    Widest = 0;
}

void DrawingStore::forEachNear(const QRectF &area, double margin,
                               const std::function<void(const Drawing &)> &visit) const
{
    if (ById.empty())
        return;
    std::vector<int> ids = Texts;
    const QRectF r = area.adjusted(-margin, -margin, margin, margin);
    const long long c0 = cellOf(r.left(), Cell), c1 = cellOf(r.right(), Cell);
    const long long r0 = cellOf(r.top(), Cell), r1 = cellOf(r.bottom(), Cell);
    auto take = [&](Key k) {
        const auto cell = Cells.find(k);
        if (cell != Cells.end())
            ids.insert(ids.end(), cell->second.begin(), cell->second.end());
    };
    take(key(-1LL << 31, -1LL << 31));
    if ((c1 - c0 + 1) * (r1 - r0 + 1) > (long long)Cells.size()) {
        for (const auto &cell : Cells) // the whole picture in view: every cell there is
            ids.insert(ids.end(), cell.second.begin(), cell.second.end());
    } else {
        for (long long row = r0; row <= r1; ++row)
            for (long long column = c0; column <= c1; ++column)
                take(key(column, row));
    }
    // Ids grow with every drawing: sorted, they are the order of drawing.
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    for (const int id : ids)
        visit(ById.at(id));
}
