// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The storage group's label of the data file, shortened in the middle where it does not fit.
#pragma once

#include <QString>

class QFontMetrics;

// `prefix` then `path`, within `width` pixels: the folders give way first,
// replaced by "…", so the file's own name stays whole where it fits at all;
// a name too long even alone loses its middle. Never cut at an edge, where
// what is left could pass for another name.
QString fileLabelText(const QString &prefix, const QString &path, const QFontMetrics &metrics, int width);
