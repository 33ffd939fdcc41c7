// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the real main window, as app/main.cpp does it, up to its first paint.
#include "benchsupport.h"

#include "language/idioma.h"
#include "app/singleinstance.h"
#include "ui/pontivastyle.h"
#include "ui/form1.h"
#include "ui/qtuserdialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    const double entered = bench::nowMs();
    Idioma = QStringLiteral("Ingles");
    // A private lock: a Pontiva the user has open must not end the run, but
    // the cost of taking the lock still counts.
    const QString lockPath =
        SingleInstance::defaultLockPathIn(QDir::tempPath()) + QStringLiteral(".bench%1").arg(getpid());
    const SingleInstance instance(lockPath);

    QApplication app(argc, argv);
    const double appMade = bench::nowMs();
    QApplication::setApplicationName(QStringLiteral("Pontiva"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(PONTIVA_VERSION_MAJOR)
                                            .arg(PONTIVA_VERSION_MINOR)
                                            .arg(PONTIVA_VERSION_PATCH));
    QApplication::setStyle(new PontivaStyle); // as the program does
    const double styled = bench::nowMs();

    QtUserDialogs dialogs;
    Form1 window(dialogs);
    dialogs.setParent(&window);
    const double built = bench::nowMs();
    double loaded = 0;
    bench::FirstPaint probe(&window, [&] {
        const double t = bench::nowMs();
        std::printf("phase_qapplication_ms=%.3f\n", appMade - entered);
        std::printf("phase_style_ms=%.3f\n", styled - appMade);
        std::printf("phase_construct_ms=%.3f\n", built - styled);
        std::printf("phase_form_load_ms=%.3f\n", loaded - built);
        std::printf("phase_to_paint_ms=%.3f\n", t - loaded);
        std::printf("pre_main_ms=%.3f\n", bench::preMainMs(entered));
        std::printf("main_to_paint_ms=%.3f\n", t - entered);
        std::printf("vmhwm_kib=%ld\n", bench::vmHwmKiB());
        std::printf("painted\n");
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    bench::watchdog(30000);
    window.Form_Load();
    loaded = bench::nowMs();
    const int rc = app.exec();
    QFile::remove(lockPath);
    return rc;
}
