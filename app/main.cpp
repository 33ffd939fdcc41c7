// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Program start: language, single instance, the main window.
#include "app/idioma.h"
#include "app/singleinstance.h"
#include "ui/form1.h"
#include "ui/pontivastyle.h"
#include "ui/qtuserdialogs.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Idioma = QStringLiteral("Ingles");

    // A second start ends at once, before any window exists.
    const SingleInstance instance;
    if (!instance.isFirst())
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pontiva"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(PONTIVA_VERSION_MAJOR)
                                            .arg(PONTIVA_VERSION_MINOR)
                                            .arg(PONTIVA_VERSION_PATCH));
    // Lets Wayland shells match the window to its launcher and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pontiva.pontiva"));
    // One look on every desktop, so the fixed control sizes fit their captions.
    QApplication::setStyle(new PontivaStyle);

    QtUserDialogs dialogs;
    Form1 window(dialogs);
    dialogs.setParent(&window);
    window.Form_Load();
    return app.exec();
}
