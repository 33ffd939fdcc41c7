// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the program is started with: --help, --version, or a picture to open.
#pragma once

#include <QString>
#include <optional>

class QCoreApplication;

// Prints and ends the process for --help, --version and unknown options, so
// those need no display. Otherwise the picture named on the command line, as
// an absolute path (a second start hands it to a window with another
// working folder), or nothing.
std::optional<QString> pictureFromCommandLine(const QCoreApplication &application);
