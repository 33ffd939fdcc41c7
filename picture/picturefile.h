// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a picture file for reading without ever waiting on it.
#pragma once

#include "picture/picturedecoder.h"

#include <QIODevice>
#include <QString>
#include <memory>

struct OpenedPictureFile {
    std::unique_ptr<QIODevice> device; // open for reading, or null
    PictureProblem problem = PictureProblem::None;
};

// Only a regular file opens: a named pipe, a device or a folder is refused
// at once, and the open itself never blocks (a pipe without a writer would
// hold the thread for good).
OpenedPictureFile openPictureFile(const QString &path);
// By the name's own bytes, for names that are not valid text.
OpenedPictureFile openPictureFileByName(const QByteArray &nativePath);
