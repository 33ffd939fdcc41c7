// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What may be dropped on the window: one local picture file.
#pragma once

#include <QString>
#include <optional>

class QMimeData;

// The path of one local file that the picture decoder recognises; nothing
// for text, several files, remote addresses or anything not a picture, so
// that they are refused while still being dragged.
std::optional<QString> droppablePicture(const QMimeData *data);
