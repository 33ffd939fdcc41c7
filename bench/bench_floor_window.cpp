// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Floor for start-up and memory: the least a Qt Widgets program does to show a window.
#include "benchsupport.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstdio>
#include <cstring>

// With --text the window holds one label: the least any window that shows
// text pays (the font database), as a second, informative floor.
int main(int argc, char *argv[])
{
    const double entered = bench::nowMs();
    const bool withText = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    QApplication app(argc, argv);
    const double appMade = bench::nowMs();
    QWidget window;
    if (withText)
        (new QLabel(QStringLiteral("Mensagem :"), &window))->move(10, 10);
    bench::FirstPaint probe(&window, [&] {
        std::printf("phase_qapplication_ms=%.3f\n", appMade - entered);
        std::printf("pre_main_ms=%.3f\n", bench::preMainMs(entered));
        std::printf("main_to_paint_ms=%.3f\n", bench::nowMs() - entered);
        std::printf("vmhwm_kib=%ld\n", bench::vmHwmKiB());
        std::printf("painted\n");
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    bench::watchdog(30000);
    window.show();
    return app.exec();
}
