// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Faulting a large decoded picture's memory in ahead of its decoder. (Huge
// pages were tried and dropped: on a machine whose memory is fragmented the
// kernel compacts memory on every fault, which doubled the CPU of a load.)
#pragma once

#include <QImage>

#include <thread>

// Faults the picture's pages in on another thread while the decoder fills it
// from the top, so the kernel's zeroing of fresh pages leaves the decoding
// thread. The contents are never touched, so the two may overlap freely.
// Joins when destroyed; does nothing where the system cannot populate.
class BackgroundPrefault
{
public:
    explicit BackgroundPrefault(const QImage &picture);
    ~BackgroundPrefault();
    BackgroundPrefault(const BackgroundPrefault &) = delete;
    BackgroundPrefault &operator=(const BackgroundPrefault &) = delete;

private:
    std::thread Worker;
};
