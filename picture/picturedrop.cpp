// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What may be dropped on the window (one local picture file) or pasted (a picture).
#include "picture/picturedrop.h"

#include "picturecheck/plausibility.h"
#include "picture/picturedecoder.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <QUrl>

std::optional<QString> droppablePicture(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return std::nullopt;
    const QString path = data->urls().first().toLocalFile();
    if (!QFileInfo(path).isFile() || QImageReader::imageFormat(path).isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QImage> pastedPicture(const QMimeData *data)
{
    if (!data || !data->hasImage())
        return std::nullopt;
    QImage picture = qvariant_cast<QImage>(data->imageData());
    if (picture.isNull())
        return std::nullopt;
    // Already decoded by whoever copied it; the copy for display must fit.
    const pontiva::PictureClaim claim{picture.width(), picture.height(), 0, pontiva::PictureCoding::Unbounded, 4};
    if (pontiva::judgeClaim(claim, pictureMemoryBudget()) != pontiva::Verdict::Plausible)
        return std::nullopt;
    if (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32_Premultiplied)
        picture.convertTo(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (picture.isNull())
        return std::nullopt;
    return picture;
}
