// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the window benchmarks: clocks, peak memory, first paint.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>

namespace bench {

inline double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Time from bench_spawn's spawn to `mainEntered`: exec, loader, static
// initialisers. Negative when not started by bench_spawn.
inline double preMainMs(double mainEntered)
{
    const char *spawned = std::getenv("PONTIVA_BENCH_SPAWN_MS");
    return spawned ? mainEntered - std::atof(spawned) : -1;
}

// Peak resident set of this process, in KiB, as the kernel counts it.
inline long statusKiB(const char *key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string wanted = std::string(key) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(wanted, 0) == 0)
            return std::stol(line.substr(wanted.size()));
    }
    return -1;
}
inline long vmHwmKiB() { return statusKiB("VmHWM"); }
inline long vmRssKiB() { return statusKiB("VmRSS"); }

// Calls `done` once, after the first paint event of `widget` and the flush
// that follows it in the same event: a zero timer runs only once the
// repaint manager has finished painting and handed the pixels to the window.
class FirstPaint : public QObject
{
public:
    FirstPaint(QWidget *widget, std::function<void()> done)
        : Done(std::move(done))
    {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !Seen) {
            Seen = true;
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] { Done(); });
        }
        return false;
    }

private:
    std::function<void()> Done;
    bool Seen = false;
};

// A stuck run must end rather than hang the script.
inline void watchdog(int ms)
{
    QTimer::singleShot(ms, qApp, [] {
        std::fprintf(stderr, "timeout: no paint\n");
        QCoreApplication::exit(2);
    });
}

} // namespace bench
