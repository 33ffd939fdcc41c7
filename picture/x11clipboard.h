// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the X11 clipboard on a connection of its own, with a deadline.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <optional>

struct ClipboardBytes {
    QByteArray type; // the MIME type the owner gave them as
    QByteArray bytes;
    bool timedOut = false; // the owner did not answer in time: nothing else to try
};

// The first of `wanted` (MIME types, in order of preference) that the
// clipboard's owner offers, as its owner encoded it. Asks on a connection of
// its own to the display, so it may run on any thread, and gives up once
// `deadlineMs` have passed in all: an owner that never answers cannot hold
// anyone longer. Nothing when there is no display, no owner or no such type.
std::optional<ClipboardBytes> readX11Clipboard(const QByteArrayList &wanted, int deadlineMs);
