// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Which picture files this build can open, for the open dialog's last entry.
#include "picture/pictureformats.h"

#include <QImageReader>
#include <QStringList>

QString allPicturesFilter(const QString &caption)
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format).toLower();
    patterns.removeDuplicates();
    patterns.sort();
    const QString joined = patterns.join(QLatin1Char(' '));
    return caption + QStringLiteral(" (") + joined + QStringLiteral(")|") + joined;
}
