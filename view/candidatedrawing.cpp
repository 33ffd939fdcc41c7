// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Found points shown over the picture before any is recorded.
#include "view/candidatedrawing.h"

#include "view/picturepanel.h"

namespace {

const QColor KeptColour(0, 170, 230);
const QColor DroppedColour(150, 150, 150);
const QColor TraceColour(220, 0, 200);

QPointF logical(const PicturePanel &panel, pontiva::PixelPoint p)
{
    return panel.logicalFromPicture(QPointF(p.x, p.y));
}

} // namespace

void showCandidates(PicturePanel &panel, const pontiva::CandidateSet &candidates)
{
    panel.clearLayer(DrawingLayer::Candidates);
    panel.clearLayer(DrawingLayer::Trace);
    const int width = panel.drawWidth();
    const QColor colour = panel.foreColor();
    const auto &path = candidates.path();
    panel.setForeColor(TraceColour);
    panel.setDrawWidth(1);
    for (std::size_t i = 1; i < path.size(); ++i)
        panel.drawLine(logical(panel, path[i - 1]), logical(panel, path[i]), DrawingLayer::Trace);
    // A curve's points lie close together: smaller rings.
    const bool curve = candidates.source() == pontiva::CandidateSet::Source::Curve;
    for (const auto &c : candidates.candidates()) {
        panel.setForeColor(c.kept ? KeptColour : DroppedColour);
        panel.setDrawWidth(c.kept ? (curve ? 7 : 14) : (curve ? 5 : 8));
        panel.drawRing(logical(panel, c.at), DrawingLayer::Candidates);
    }
    panel.setDrawWidth(width);
    panel.setForeColor(colour);
}

void showSearchArea(PicturePanel &panel, const QRectF &area)
{
    panel.clearLayer(DrawingLayer::Trace);
    if (area.isEmpty())
        return;
    const int width = panel.drawWidth();
    const QColor colour = panel.foreColor();
    panel.setForeColor(KeptColour);
    panel.setDrawWidth(1);
    const QPointF corners[] = {area.topLeft(), area.topRight(), area.bottomRight(), area.bottomLeft()};
    for (int i = 0; i < 4; ++i)
        panel.drawLine(panel.logicalFromPicture(corners[i]), panel.logicalFromPicture(corners[(i + 1) % 4]),
                       DrawingLayer::Trace);
    panel.setDrawWidth(width);
    panel.setForeColor(colour);
}
