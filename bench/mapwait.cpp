// mapwait: starts a program and reports how long it takes until its first top-level window is
// mapped on the X server, until the screen is drawn, and the program's peak resident memory up to
// a moment after that.
//
//   mapwait SETTLE_MS PROGRAM [ARGS...]
//
// Prints "<milliseconds to map> <peak resident kilobytes> <milliseconds to drawn>" on one line.
// The clock starts just before the program is started; the map is seen as the X server's
// MapNotify event on the root window, so no polling delay is added. "Drawn" is the last drawing
// on the screen (an X Damage report) before the screen stayed unchanged for a quiet spell of
// 300 ms, or SETTLE_MS after the map at the latest: the moment the user sees the finished window.
// A window maps before it paints, so a program may map early and still be slow to show anything.
// After SETTLE_MS more milliseconds the program is ended and its peak memory is read from the
// kernel's accounting of the finished child.

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto quietSpell = std::chrono::milliseconds(300);

struct Watch
{
    Display* display = nullptr;
    Window root = 0;
    int damageEventBase = -1; // -1 without the Damage extension
    Clock::time_point lastDrawing {};
    bool mapped = false;
};

// Handles the events at hand and then waits up to a few milliseconds for more.
void pump(Watch& watch)
{
    while (XPending(watch.display) > 0) {
        XEvent event;
        XNextEvent(watch.display, &event);
        if (event.type == MapNotify && event.xmap.event == watch.root && !event.xmap.override_redirect)
            watch.mapped = true;
        else if (watch.damageEventBase >= 0 && event.type == watch.damageEventBase + XDamageNotify)
            watch.lastDrawing = Clock::now();
    }
    const int fd = ConnectionNumber(watch.display);
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(fd, &fds);
    timeval timeout {0, 2000};
    select(fd + 1, &fds, nullptr, nullptr, &timeout);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: mapwait SETTLE_MS PROGRAM [ARGS...]\n");
        return 2;
    }
    const int settleMs = std::atoi(argv[1]);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "mapwait: no X display\n");
        return 2;
    }
    Watch watch;
    watch.display = display;
    watch.root = DefaultRootWindow(display);
    XSelectInput(display, watch.root, SubstructureNotifyMask);
    int damageError = 0;
    if (XDamageQueryExtension(display, &watch.damageEventBase, &damageError))
        XDamageCreate(display, watch.root, XDamageReportRawRectangles);
    else
        watch.damageEventBase = -1;
    XSync(display, False);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    const Clock::time_point giveUp = start + std::chrono::seconds(30);
    while (!watch.mapped && Clock::now() < giveUp)
        pump(watch);
    const bool mapped = watch.mapped;
    const Clock::time_point mapTime = Clock::now();
    const auto elapsed = std::chrono::duration<double, std::milli>(mapTime - start).count();
    // Drawings before the map belong to other windows; the finished window is drawn after it.
    watch.lastDrawing = mapTime;
    const Clock::time_point settled = mapTime + std::chrono::milliseconds(settleMs);
    while (Clock::now() < settled && Clock::now() - watch.lastDrawing < quietSpell)
        pump(watch);
    const auto drawn = std::chrono::duration<double, std::milli>(watch.lastDrawing - start).count();
    if (Clock::now() < settled)
        std::this_thread::sleep_until(settled);
    kill(child, SIGTERM);
    int status = 0;
    rusage usage {};
    wait4(child, &status, 0, &usage);
    XCloseDisplay(display);
    if (!mapped) {
        std::fprintf(stderr, "mapwait: no window was mapped within 30 s\n");
        return 1;
    }
    std::printf("%.1f %ld %.1f\n", elapsed, usage.ru_maxrss, drawn);
    return 0;
}
