// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the X11 clipboard on a connection of its own, with a deadline.
#include "picture/x11clipboard.h"

#include <QElapsedTimer>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <xcb/xcb.h>

namespace {

// More than any honest picture on a clipboard; a hostile owner stops here.
constexpr qsizetype MaximumBytes = qsizetype(1) << 30;

struct Connection {
    xcb_connection_t *c = nullptr;
    ~Connection()
    {
        if (c)
            xcb_disconnect(c);
    }
};

xcb_atom_t atom(xcb_connection_t *c, const QByteArray &name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData()), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

// The next event of `type` (without the sent bit), or nothing by the deadline.
xcb_generic_event_t *waitFor(xcb_connection_t *c, uint8_t type, const QElapsedTimer &clock, int deadlineMs)
{
    for (;;) {
        while (xcb_generic_event_t *e = xcb_poll_for_event(c)) {
            if ((e->response_type & 0x7F) == type)
                return e;
            std::free(e);
        }
        const qint64 left = deadlineMs - clock.elapsed();
        if (left <= 0 || xcb_connection_has_error(c))
            return nullptr;
        pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&p, 1, int(left));
    }
}

// The property's whole value, deleting it as it is read (which, during an
// incremental transfer, asks the owner for the next piece).
std::optional<QByteArray> takeProperty(xcb_connection_t *c, xcb_window_t w, xcb_atom_t property, xcb_atom_t *type)
{
    xcb_get_property_reply_t *reply =
        xcb_get_property_reply(c, xcb_get_property(c, 1, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1FFFFFFF), nullptr);
    if (!reply)
        return std::nullopt;
    if (type)
        *type = reply->type;
    const int length = xcb_get_property_value_length(reply);
    QByteArray value(static_cast<const char *>(xcb_get_property_value(reply)), length);
    std::free(reply);
    return value;
}

// Asks for the selection as `target` and waits for the answer.
std::optional<QByteArray> convert(xcb_connection_t *c, xcb_window_t w, xcb_atom_t selection, xcb_atom_t target,
                                  xcb_atom_t property, xcb_atom_t incr, const QElapsedTimer &clock, int deadlineMs,
                                  bool &timedOut)
{
    xcb_convert_selection(c, w, selection, target, property, XCB_CURRENT_TIME);
    xcb_flush(c);
    std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> e(waitFor(c, XCB_SELECTION_NOTIFY, clock, deadlineMs),
                                                                 &std::free);
    if (!e) {
        timedOut = true;
        return std::nullopt;
    }
    const auto *notify = reinterpret_cast<const xcb_selection_notify_event_t *>(e.get());
    if (notify->property == XCB_ATOM_NONE)
        return std::nullopt; // refused
    xcb_atom_t type = XCB_ATOM_NONE;
    std::optional<QByteArray> value = takeProperty(c, w, property, &type);
    if (!value || type != incr)
        return value;
    // Incremental: each new value of the property is the next piece; an
    // empty one ends it.
    QByteArray all;
    for (;;) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> p(
            waitFor(c, XCB_PROPERTY_NOTIFY, clock, deadlineMs), &std::free);
        if (!p) {
            timedOut = true;
            return std::nullopt;
        }
        const auto *change = reinterpret_cast<const xcb_property_notify_event_t *>(p.get());
        if (change->atom != property || change->state != XCB_PROPERTY_NEW_VALUE)
            continue;
        const std::optional<QByteArray> piece = takeProperty(c, w, property, nullptr);
        if (!piece)
            return std::nullopt;
        if (piece->isEmpty())
            return all;
        if (all.size() + piece->size() > MaximumBytes)
            return std::nullopt;
        all += *piece;
    }
}

} // namespace

std::optional<ClipboardBytes> readX11Clipboard(const QByteArrayList &wanted, int deadlineMs)
{
    QElapsedTimer clock;
    clock.start();
    Connection connection;
    connection.c = xcb_connect(nullptr, nullptr);
    xcb_connection_t *c = connection.c;
    if (!c || xcb_connection_has_error(c))
        return std::nullopt;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return std::nullopt;
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      screen->root_visual, XCB_CW_EVENT_MASK, &events);
    const xcb_atom_t clipboard = atom(c, "CLIPBOARD"), targets = atom(c, "TARGETS"), incr = atom(c, "INCR"),
                     property = atom(c, "PONTIVA_PASTE");

    ClipboardBytes result;
    const std::optional<QByteArray> offered =
        convert(c, w, clipboard, targets, property, incr, clock, deadlineMs, result.timedOut);
    if (!offered) {
        if (result.timedOut)
            return result;
        return std::nullopt;
    }
    // The offered types are a list of atoms; their names are asked for together.
    const qsizetype count = offered->size() / qsizetype(sizeof(xcb_atom_t));
    QByteArrayList names;
    std::vector<xcb_get_atom_name_cookie_t> cookies;
    for (qsizetype i = 0; i < count && i < 512; ++i) {
        xcb_atom_t a;
        std::memcpy(&a, offered->constData() + i * qsizetype(sizeof a), sizeof a);
        cookies.push_back(xcb_get_atom_name(c, a));
    }
    std::vector<xcb_atom_t> atoms;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        xcb_get_atom_name_reply_t *reply = xcb_get_atom_name_reply(c, cookies[i], nullptr);
        names << (reply ? QByteArray(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply))
                        : QByteArray());
        std::free(reply);
        xcb_atom_t a;
        std::memcpy(&a, offered->constData() + qsizetype(i) * qsizetype(sizeof a), sizeof a);
        atoms.push_back(a);
    }
    for (const QByteArray &type : wanted) {
        const qsizetype at = names.indexOf(type);
        if (at < 0)
            continue;
        const std::optional<QByteArray> bytes =
            convert(c, w, clipboard, atoms[std::size_t(at)], property, incr, clock, deadlineMs, result.timedOut);
        if (result.timedOut)
            return result;
        if (!bytes)
            continue;
        result.type = type;
        result.bytes = *bytes;
        return result;
    }
    return std::nullopt;
}
