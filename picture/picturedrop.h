// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What may be dropped on the window (one local picture file) or pasted (a picture).
#pragma once

#include <QImage>
#include <QString>
#include <optional>

class QMimeData;

// The path of one local file that the picture decoder recognises; nothing
// for text, several files, remote addresses or anything not a picture, so
// that they are refused while still being dragged.
std::optional<QString> droppablePicture(const QMimeData *data);

// The picture on the clipboard, in a format that paints fast; nothing for
// text, files or an empty clipboard, or for a picture past the size cap.
std::optional<QImage> pastedPicture(const QMimeData *data);
