// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the program is started with: --help, --version, --language, or a picture to open.
#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The first argument that is not an option or an option's value, as the
// bytes it was given in: a name that is not valid text still opens.
QByteArray firstFileArgument(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (std::strcmp(a, "--") == 0)
            return i + 1 < argc ? QByteArray(argv[i + 1]) : QByteArray();
        if (std::strcmp(a, "--language") == 0 || std::strcmp(a, "-l") == 0) {
            ++i;
            continue;
        }
        if (a[0] == '-' && a[1] != '\0')
            continue;
        return QByteArray(a);
    }
    return {};
}

} // namespace

StartOptions startOptions(int argc, char *argv[])
{
    const QCoreApplication commandLine(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Reads numerical data off a picture of a graph."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption language({QStringLiteral("l"), QStringLiteral("language")},
                                      QStringLiteral("The window's language: en (English, the default) or pt (Português)."),
                                      QStringLiteral("en|pt"));
    parser.addOption(language);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A picture to open (JPEG, BMP, PNG, TIFF, ...)."),
                                 QStringLiteral("[file]"));
    parser.process(commandLine.arguments());

    StartOptions options;
    if (parser.isSet(language)) {
        const QString chosen = parser.value(language);
        if (chosen == QLatin1String("pt"))
            options.idioma = QStringLiteral("Portugues");
        else if (chosen != QLatin1String("en")) {
            std::fprintf(stderr, "pontiva: unknown language \"%s\": use en or pt\n", qPrintable(chosen));
            std::exit(2);
        }
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.picture = firstFileArgument(argc, argv);
        if (!options.picture.startsWith('/'))
            options.picture = QFile::encodeName(QDir::currentPath()) + '/' + options.picture;
    }
    return options;
}
