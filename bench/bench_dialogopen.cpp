// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One sample of opening a picture through the open dialog, as a user does it,
// in the X server of $DISPLAY: start the program, Ctrl+O, type the path,
// then Return sent by XTest starts the clock. It stops when the picture's
// paper shows on screen (painted) and when the program's CPU time stops
// moving (idle). Prints KEY=value lines for bench/dialog_open.sh.
//
//   bench_dialogopen program XVFB_PID PICTURE PROGRAM [ARGS...]
//   bench_dialogopen djpeg PICTURE
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

[[noreturn]] void die(const std::string &why)
{
    std::fprintf(stderr, "bench_dialogopen: %s\n", why.c_str());
    std::exit(1);
}

// User plus system CPU of a whole process (every thread, living or ended), ms.
double cpuMs(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) // state ... cmajflt
        fields >> skip;
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

long hwmKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

class Display
{
public:
    Display()
    {
        Connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(Connection))
            die("cannot connect to $DISPLAY");
        Screen = xcb_setup_roots_iterator(xcb_get_setup(Connection)).data;
        // New top-level windows announce themselves as events, so watching
        // for them costs no polling.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(Connection, Screen->root, XCB_CW_EVENT_MASK, &mask);
        PidAtom = atom("_NET_WM_PID");
        NameAtom = atom("_NET_WM_NAME");
        Utf8Atom = atom("UTF8_STRING");
        loadKeyboard();
    }
    ~Display() { xcb_disconnect(Connection); }

    // A mapped top-level window of `pid` whose title is `title`.
    std::optional<xcb_window_t> window(pid_t pid, const std::string &title)
    {
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(Connection, xcb_query_tree(Connection, Screen->root), nullptr);
        if (!tree)
            return std::nullopt;
        std::optional<xcb_window_t> found;
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
            const xcb_window_t w = children[i];
            xcb_get_window_attributes_reply_t *a =
                xcb_get_window_attributes_reply(Connection, xcb_get_window_attributes(Connection, w), nullptr);
            const bool mapped = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
            std::free(a);
            if (mapped && windowPid(w) == pid && windowTitle(w) == title)
                found = w;
        }
        std::free(tree);
        return found;
    }

    xcb_window_t waitForWindow(pid_t pid, const std::string &title, double timeoutMs)
    {
        const double end = nowMs() + timeoutMs;
        while (nowMs() < end) {
            if (auto w = window(pid, title))
                return *w;
            usleep(10000);
        }
        die("no window \"" + title + "\" appeared");
    }

    void focus(xcb_window_t w)
    {
        xcb_set_input_focus(Connection, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
        xcb_flush(Connection);
    }

    // Presses and releases the key of `keysym`, with Control or Shift held.
    void key(uint32_t keysym, bool control = false)
    {
        const auto [code, shifted] = keycodeOf(keysym);
        if (!code)
            die("no key for keysym " + std::to_string(keysym));
        if (control)
            fake(XCB_KEY_PRESS, ControlCode);
        if (shifted)
            fake(XCB_KEY_PRESS, ShiftCode);
        fake(XCB_KEY_PRESS, code);
        fake(XCB_KEY_RELEASE, code);
        if (shifted)
            fake(XCB_KEY_RELEASE, ShiftCode);
        if (control)
            fake(XCB_KEY_RELEASE, ControlCode);
        xcb_flush(Connection);
    }

    void type(const std::string &text)
    {
        for (const char c : text) {
            key(uint8_t(c)); // Latin-1 keysyms are their characters
            usleep(2000);
        }
    }

    // How many pixels of one screen row look like the chart's paper (warm,
    // light), which no window of either program has before the picture.
    int paperInRow(int y)
    {
        xcb_get_image_reply_t *image = xcb_get_image_reply(
            Connection,
            xcb_get_image(Connection, XCB_IMAGE_FORMAT_Z_PIXMAP, Screen->root, 0, int16_t(y), Screen->width_in_pixels, 1,
                          ~0u),
            nullptr);
        if (!image)
            return 0;
        const uint8_t *p = xcb_get_image_data(image);
        const int n = xcb_get_image_data_length(image) / 4;
        int paper = 0;
        for (int i = 0; i < n; ++i) {
            const int b = p[4 * i], r = p[4 * i + 2];
            paper += r > 190 && r - b >= 6;
        }
        std::free(image);
        return paper;
    }

    // True once a window of `pid` titled `title` other than `except` has
    // been mapped since the last call (the events are drained meanwhile).
    bool mappedSince(pid_t pid, const std::string &title, xcb_window_t except)
    {
        bool seen = false;
        while (xcb_generic_event_t *event = xcb_poll_for_event(Connection)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const xcb_window_t w = reinterpret_cast<xcb_map_notify_event_t *>(event)->window;
                seen = seen || (w != except && windowPid(w) == pid && windowTitle(w) == title);
            }
            std::free(event);
        }
        return seen;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *r =
            xcb_intern_atom_reply(Connection, xcb_intern_atom(Connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }

    std::string property(xcb_window_t w, xcb_atom_t name, xcb_atom_t type)
    {
        xcb_get_property_reply_t *r =
            xcb_get_property_reply(Connection, xcb_get_property(Connection, 0, w, name, type, 0, 256), nullptr);
        std::string value;
        if (r)
            value.assign(static_cast<const char *>(xcb_get_property_value(r)), size_t(xcb_get_property_value_length(r)));
        std::free(r);
        return value;
    }

    pid_t windowPid(xcb_window_t w)
    {
        const std::string v = property(w, PidAtom, XCB_ATOM_CARDINAL);
        uint32_t pid = 0;
        if (v.size() == 4)
            std::memcpy(&pid, v.data(), 4);
        return pid_t(pid);
    }

    std::string windowTitle(xcb_window_t w) { return property(w, NameAtom, Utf8Atom); }

    void loadKeyboard()
    {
        const xcb_setup_t *setup = xcb_get_setup(Connection);
        MinCode = setup->min_keycode;
        const uint8_t count = uint8_t(setup->max_keycode - setup->min_keycode + 1);
        xcb_get_keyboard_mapping_reply_t *r = xcb_get_keyboard_mapping_reply(
            Connection, xcb_get_keyboard_mapping(Connection, MinCode, count), nullptr);
        if (!r)
            die("no keyboard mapping");
        PerCode = r->keysyms_per_keycode;
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(r);
        Keysyms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(r));
        std::free(r);
        ControlCode = keycodeOf(0xffe3).first; // Control_L
        ShiftCode = keycodeOf(0xffe1).first;   // Shift_L
    }

    std::pair<uint8_t, bool> keycodeOf(uint32_t keysym) const
    {
        for (size_t i = 0; PerCode && i < Keysyms.size(); ++i) {
            const size_t column = i % PerCode;
            if (Keysyms[i] == keysym && column < 2)
                return {uint8_t(MinCode + i / PerCode), column == 1};
        }
        return {0, false};
    }

    void fake(uint8_t type, uint8_t code)
    {
        xcb_test_fake_input(Connection, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    xcb_connection_t *Connection = nullptr;
    xcb_screen_t *Screen = nullptr;
    xcb_atom_t PidAtom = 0, NameAtom = 0, Utf8Atom = 0;
    std::vector<xcb_keysym_t> Keysyms;
    uint8_t MinCode = 0, PerCode = 0, ControlCode = 0, ShiftCode = 0;
};

pid_t spawn(char **argv)
{
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv);
        _exit(127);
    }
    if (pid < 0)
        die("cannot fork");
    return pid;
}

// Waits until `pid` has used no CPU for `quietMs`; answers when it last did.
double settle(pid_t pid, double quietMs, double timeoutMs)
{
    const double end = nowMs() + timeoutMs;
    double last = cpuMs(pid), lastChange = nowMs();
    while (nowMs() < end && nowMs() - lastChange < quietMs) {
        usleep(2000);
        const double cpu = cpuMs(pid);
        if (cpu != last) {
            last = cpu;
            lastChange = nowMs();
        }
    }
    return lastChange;
}

constexpr uint32_t KeyReturn = 0xff0d, KeyO = 'o';
constexpr int PaperRow = 420;     // crosses the picture in both programs' windows
constexpr int PaperPixels = 300;  // of that row, once the picture shows

int sampleProgram(pid_t xvfb, const std::string &picture, char **command)
{
    Display display;
    const pid_t pid = spawn(command);
    const std::string mainTitle = std::getenv("BENCH_TITLE") ? std::getenv("BENCH_TITLE") : "Pontiva";
    const xcb_window_t main = display.waitForWindow(pid, mainTitle, 20000);
    settle(pid, 300, 10000);
    display.focus(main);
    display.key(KeyO, true);
    const xcb_window_t dialog = display.waitForWindow(pid, "File name", 10000);
    display.focus(dialog);
    settle(pid, 200, 10000);
    display.type(picture);
    settle(pid, 300, 10000);
    if (display.paperInRow(PaperRow) >= PaperPixels)
        die("the paper shows before the picture is opened");
    display.mappedSince(pid, mainTitle, main); // forget what came before

    const double cpu0 = cpuMs(pid), x0 = cpuMs(xvfb);
    const double t0 = nowMs();
    display.key(KeyReturn);
    double painted = 0;
    bool progressShown = false;
    while (!painted && nowMs() - t0 < 60000) {
        if (display.paperInRow(PaperRow) >= PaperPixels)
            painted = nowMs();
        progressShown = display.mappedSince(pid, mainTitle, main) || progressShown;
        if (!painted)
            usleep(3000);
    }
    if (!painted)
        die("the picture never showed");
    const double idle = std::max(painted, settle(pid, 250, 30000));
    progressShown = display.mappedSince(pid, mainTitle, main) || progressShown;
    const double cpu = cpuMs(pid) - cpu0, x = cpuMs(xvfb) - x0;
    std::printf("painted_ms=%.1f\nidle_ms=%.1f\ncpu_ms=%.0f\nxcpu_ms=%.0f\ntotal_cpu_ms=%.0f\nhwm_kib=%ld\nprogress=%d\n",
                painted - t0, idle - t0, cpu, x, cpu + x, hwmKiB(pid), int(progressShown));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return 0;
}

int sampleDjpeg(const std::string &picture)
{
    const double t0 = nowMs();
    std::vector<std::string> args = {"djpeg", "-outfile", "/dev/null", picture};
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = spawn(argv.data());
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        die("djpeg failed");
    const double t1 = nowMs();
    auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    std::printf("painted_ms=%.1f\nidle_ms=%.1f\ntotal_cpu_ms=%.0f\nhwm_kib=%ld\n", t1 - t0, t1 - t0,
                ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_maxrss);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 5 && std::strcmp(argv[1], "program") == 0)
        return sampleProgram(pid_t(std::atol(argv[2])), argv[3], argv + 4);
    if (argc == 3 && std::strcmp(argv[1], "djpeg") == 0)
        return sampleDjpeg(argv[2]);
    std::fprintf(stderr, "usage: %s program XVFB_PID PICTURE PROGRAM [ARGS...]\n       %s djpeg PICTURE\n", argv[0],
                 argv[0]);
    return 2;
}
