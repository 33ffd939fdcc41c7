// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program and times it from spawn until it prints "painted".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

} // namespace

// Timing from outside includes what the program cannot time itself: exec,
// the dynamic loader and every static initialiser of Qt.
int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s program [args...]\n", argv[0]);
        return 2;
    }
    int out[2];
    if (pipe(out) != 0)
        return 2;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);

    const double start = nowMs();
    // The child reports how much of the total passed before its main().
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%.3f", start);
    setenv("PONTIVA_BENCH_SPAWN_MS", stamp, 1);
    pid_t child = 0;
    if (posix_spawn(&child, argv[1], &actions, nullptr, argv + 1, environ) != 0) {
        std::perror("posix_spawn");
        return 2;
    }
    close(out[1]);

    double painted = -1;
    std::string pending;
    char buffer[4096];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0) {
        pending.append(buffer, size_t(n));
        size_t eol;
        while ((eol = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            if (line == "painted" && painted < 0)
                painted = nowMs() - start;
            else
                std::printf("%s\n", line.c_str());
        }
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::printf("spawn_to_paint_ms=%.3f\n", painted);
    std::printf("child_maxrss_kib=%ld\n", usage.ru_maxrss);
    return (WIFEXITED(status) && WEXITSTATUS(status) == 0 && painted >= 0) ? 0 : 1;
}
