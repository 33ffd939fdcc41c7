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

#include <cstdio>
#include <memory>

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
    // --help, --version and --language answer without a display, before any window.
    nameTheApplication();
    const StartOptions options = startOptions(argc, argv);
    Idioma = options.idioma;

    // A second start ends at once, without a window of its own; the running
    // one comes forward and opens the picture, if one was given. Without a
    // folder of this user's alone there is no lock and no hand-over.
    const QString folder = SingleInstance::privateFolder();
    if (folder.isEmpty())
        std::fprintf(stderr, "pontiva: no private folder for the single-instance lock; starting without one\n");
    const QString lockPath = SingleInstance::defaultLockPathIn(folder);
    const SingleInstance instance(folder.isEmpty() ? QString() : lockPath);
    const QString socketPath = InstanceChannel::socketPathFor(lockPath);
    if (!instance.isFirst()) {
        const QCoreApplication messenger(argc, argv);
        if (InstanceChannel::handOver(socketPath, options.picture))
            return 0;
        std::fprintf(stderr, "pontiva: Pontiva is already running but could not be reached%s%s\n",
                     options.picture.isEmpty() ? "" : "; not opened: ", options.picture.constData());
        return 1;
    }

    QApplication app(argc, argv);
    // Lets Wayland shells match the window to its launcher and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pontiva.pontiva"));
    // One look on every desktop, so the fixed control sizes fit their captions.
    QApplication::setStyle(new PontivaStyle);

    // Listening before the window is built: a second start made meanwhile
    // is heard once the window runs.
    std::unique_ptr<InstanceChannel> channel;
    if (!folder.isEmpty())
        channel = std::make_unique<InstanceChannel>(socketPath);
    QtUserDialogs dialogs;
    Form1 window(dialogs);
    dialogs.setParent(&window);
    if (channel)
        QObject::connect(channel.get(), &InstanceChannel::secondStart, &window, &Form1::secondStart);
    window.Form_Load();
    if (!options.picture.isEmpty()) // once the window is up, as if chosen in the open dialog
        QTimer::singleShot(0, &window, [&window, file = options.picture] { window.openPictureNamed(file); });
    return app.exec();
}
