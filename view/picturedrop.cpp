// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What may be dropped on the window: one local picture file.
#include "view/picturedrop.h"

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
