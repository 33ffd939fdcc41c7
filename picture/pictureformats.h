// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Which picture files this build can open, for the open dialog's last entry.
#pragma once

#include <QString>

// "caption (*.bmp *.jpg ...)|*.bmp *.jpg ...": every suffix the installed
// image readers decode, in the window's filter notation.
QString allPicturesFilter(const QString &caption);
