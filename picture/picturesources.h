// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures from elsewhere than the open dialog: a file dropped on the window, the clipboard.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

class QMimeData;

// The path of one local file that the picture decoder recognises; nothing
// for text, several files, remote addresses or anything not a picture, so
// that they are refused while still being dragged.
std::optional<QString> droppablePicture(const QMimeData *data);

// What Paste found on the clipboard, at most one of the first three.
struct PastedPicture {
    std::optional<QString> file; // a file manager's copy of one local picture file
    QByteArray encoded;          // a picture as its owner encoded it (PNG, say): decoded like a file
    QImage image;                // a picture this program itself put there, decoded already
    bool ownerSilent = false;    // the clipboard's owner never answered
};

// From the clipboard's contents as Qt holds them.
PastedPicture pastedPicture(const QMimeData *data);

// From the system clipboard, asked off the interface thread while the window
// keeps repainting; never waits more than two seconds in all, however slow
// the clipboard's owner is.
PastedPicture pictureOnClipboard();
