// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The storage group's label of the data file, shortened in the middle where it does not fit.
#include "ui/filelabel.h"

#include <QFontMetrics>

#include <algorithm>

QString fileLabelText(const QString &prefix, const QString &path, const QFontMetrics &metrics, int width)
{
    auto fits = [&](const QString &text) { return metrics.horizontalAdvance(text) <= width; };
    if (fits(prefix + path))
        return prefix + path;
    const QChar ellipsis(0x2026);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    if (slash >= 0) {
        // As much of the folder's start as fits before "…/name".
        const QString folder = path.left(slash);
        for (qsizetype keep = folder.size() - 1; keep >= 0; --keep) {
            const QString text = prefix + folder.left(keep) + ellipsis + QLatin1Char('/') + name;
            if (fits(text))
                return text;
        }
    }
    const QString lead = slash >= 0 ? QString(ellipsis) + QLatin1Char('/') : QString();
    const int room = std::max(1, width - metrics.horizontalAdvance(prefix + lead));
    return prefix + lead + metrics.elidedText(name, Qt::ElideMiddle, room);
}
