// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the program is started with: --help, --version, or a picture to open.
#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

std::optional<QString> pictureFromCommandLine(const QCoreApplication &application)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Reads numerical data off a picture of a graph."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A picture to open (JPEG, BMP, PNG, TIFF, ...)."),
                                 QStringLiteral("[file]"));
    parser.process(application.arguments());
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return std::nullopt;
    return QFileInfo(files.constFirst()).absoluteFilePath();
}
