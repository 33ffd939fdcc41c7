// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Program start: command line, language, single instance, the main window.
#include "app/commandline.h"
#include "language/idioma.h"
#include "app/instancechannel.h"
#include "app/singleinstance.h"
#include "ui/form1.h"
#include "ui/pontivastyle.h"
#include "ui/qtuserdialogs.h"

#include <QApplication>
#include <QTimer>

namespace {

void nameTheApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Pontiva"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(PONTIVA_VERSION_MAJOR)
                                                .arg(PONTIVA_VERSION_MINOR)
                                                .arg(PONTIVA_VERSION_PATCH));
}

} // namespace

int main(int argc, char *argv[])
{
    Idioma = QStringLiteral("Ingles");

    // --help and --version answer without a display, before any window.
    std::optional<QString> picture;
    {
        const QCoreApplication commandLine(argc, argv);
        nameTheApplication();
        picture = pictureFromCommandLine(commandLine);
    }

    // A second start ends at once, without a window of its own; the running
    // one comes forward and opens the picture, if one was given.
    const SingleInstance instance;
    const QString socketPath = InstanceChannel::socketPathFor(SingleInstance::defaultLockPath());
    if (!instance.isFirst()) {
        const QCoreApplication messenger(argc, argv);
        InstanceChannel::handOver(socketPath, picture.value_or(QString()));
        return 0;
    }

    QApplication app(argc, argv);
    nameTheApplication();
    // Lets Wayland shells match the window to its launcher and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pontiva.pontiva"));
    // One look on every desktop, so the fixed control sizes fit their captions.
    QApplication::setStyle(new PontivaStyle);

    QtUserDialogs dialogs;
    Form1 window(dialogs);
    dialogs.setParent(&window);
    InstanceChannel channel(socketPath);
    QObject::connect(&channel, &InstanceChannel::secondStart, &window, &Form1::secondStart);
    window.Form_Load();
    if (picture) // once the window is up, as if chosen in the open dialog
        QTimer::singleShot(0, &window, [&window, file = *picture] { window.openPictureFile(file); });
    return app.exec();
}
