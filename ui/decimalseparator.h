// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The regional decimal separator, as the readout writes it.
#pragma once

#include <QLocale>

inline char decimalSeparator()
{
    const QChar point = QLocale().decimalPoint().at(0);
    return point.unicode() < 128 ? char(point.unicode()) : '.';
}
