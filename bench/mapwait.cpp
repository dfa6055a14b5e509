// mapwait: starts a program and reports how long it takes until its first top-level window is
// mapped on the X server, and the program's peak resident memory up to a moment after that.
//
//   mapwait SETTLE_MS PROGRAM [ARGS...]
//
// Prints "<milliseconds to map> <peak resident kilobytes>" on one line. The clock starts just
// before the program is started; the map is seen as the X server's MapNotify event on the root
// window, so no polling delay is added. After SETTLE_MS more milliseconds the program is ended
// and its peak memory is read from the kernel's accounting of the finished child.

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

bool waitForMap(Display* display, Window root, Clock::time_point deadline)
{
    const int fd = ConnectionNumber(display);
    while (Clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && event.xmap.event == root && !event.xmap.override_redirect)
                return true;
        }
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(fd, &fds);
        timeval timeout {0, 20000};
        select(fd + 1, &fds, nullptr, nullptr, &timeout);
    }
    return false;
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
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    const bool mapped = waitForMap(display, root, start + std::chrono::seconds(30));
    const auto elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    usleep(useconds_t(settleMs) * 1000);
    kill(child, SIGTERM);
    int status = 0;
    rusage usage {};
    wait4(child, &status, 0, &usage);
    XCloseDisplay(display);
    if (!mapped) {
        std::fprintf(stderr, "mapwait: no window was mapped within 30 s\n");
        return 1;
    }
    std::printf("%.1f %ld\n", elapsed, usage.ru_maxrss);
    return 0;
}
