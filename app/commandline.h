// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the program is started with: --help, --version, --language, or a picture to open.
#pragma once

#include <QByteArray>
#include <QString>

struct StartOptions {
    // The picture named on the command line as its own bytes, made absolute
    // (a second start hands it to a window with another working folder);
    // empty when none was named.
    QByteArray picture;
    // "Ingles" unless --language pt asked for "Portugues".
    QString idioma = QStringLiteral("Ingles");
};

// Prints and ends the process for --help, --version and unknown options or
// languages, so those need no display.
StartOptions startOptions(int argc, char *argv[]);
