// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where a position on the picture is read: there, or at the mark or crossing snapping finds.
#include "view/readingaim.h"

#include "snapping/crossingsnap.h"
#include "snapping/marksnap.h"
#include "view/picturepanel.h"

ReadingPosition ReadingAim::aim(const PicturePanel &panel, float x, float y, bool calibrating) const
{
    ReadingPosition a;
    a.pointer = panel.pictureFromLogical(QPointF(x, y));
    a.reading = a.pointer;
    a.x = x;
    a.y = y;
    const QImage &picture = panel.picture();
    if (!Snapping || picture.isNull())
        return a;
    using Layout = pontiva::PixelBuffer::Layout;
    const Layout layout = picture.depth() == 8 ? Layout::Grey8
        : picture.format() == QImage::Format_ARGB32_Premultiplied ? Layout::Argb32Premultiplied
                                                                   : Layout::Xrgb32;
    const pontiva::PixelBuffer pixels{picture.constBits(), picture.width(), picture.height(), picture.bytesPerLine(),
                                      layout};
    const pontiva::PixelPoint at{a.pointer.x(), a.pointer.y()};
    const auto found = calibrating ? pontiva::snapToCrossing(pixels, at) : pontiva::snapToMark(pixels, at);
    a.searched = true;
    if (!found)
        return a;
    a.reading = QPointF(found->x, found->y);
    const QPointF logical = panel.logicalFromPicture(a.reading);
    a.x = float(logical.x());
    a.y = float(logical.y());
    a.snapped = true;
    return a;
}
