#include "realdisplay.h"

#include <QAbstractButton>
#include <QDialog>
#include <QEventLoop>
#include <QList>
#include <QMessageBox>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// Xlib's macros (None, Bool, KeyPress, ...) clash with Qt's names: include it last.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

[[noreturn]] void failToStart(const std::string& why, int log)
{
    std::fprintf(stderr, "FAIL!  : real display: %s\n", why.c_str());
    // Xvfb's own words, when it said any, usually name the cause (a missing xkbcomp, a full /tmp).
    if (log >= 0) {
        char buffer[4096];
        ssize_t n = pread(log, buffer, sizeof buffer - 1, 0);
        if (n > 0) {
            buffer[n] = '\0';
            std::fprintf(stderr, "Xvfb said:\n%s\n", buffer);
        }
    }
    std::exit(EXIT_FAILURE);
}

// Reads the display number that Xvfb writes once it accepts connections. Empty on failure.
std::string readDisplayNumber(int fd, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string number;
    for (;;) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p {fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0)
            return {};
        char c;
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) // Xvfb ended before it was ready
            return {};
        if (c == '\n')
            return number;
        number += c;
    }
}

// QTest::qWait sleeps between its rounds of event processing: an event that arrives during the
// sleep waits for the next round together with what the test sends meanwhile. A real event loop
// handles each event as it arrives.
void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QString withoutMnemonic(QString text)
{
    return text.remove(QLatin1Char('&'));
}

} // namespace

RealDisplayServer::RealDisplayServer()
{
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0)
        failToStart(std::string("pipe: ") + std::strerror(errno), -1);
    // Xvfb's chatter (keymap warnings) would clutter every test log: it goes to an unlinked file
    // that is shown only when the server fails to start.
    char logName[] = "/tmp/tallowmere-xvfb-XXXXXX";
    const int log = mkostemp(logName, O_CLOEXEC);
    if (log >= 0)
        unlink(logName);
    // -displayfd lets Xvfb take the first free display number, so tests that run side by side
    // never collide, and it writes that number only once it accepts connections: no polling for
    // a socket to appear. Everything the child needs is prepared before fork().
    const std::string readyFd = std::to_string(ready[1]);
    // A test run with QT_SCALE_FACTOR (a screen scaled to 200 %) gets a screen as many times
    // larger, so that the program has the same room in logical pixels.
    const char* scaleVariable = std::getenv("QT_SCALE_FACTOR");
    const double scale = scaleVariable ? std::clamp(std::atof(scaleVariable), 1.0, 4.0) : 1.0;
    const std::string screen = std::to_string(int(1280 * scale)) + "x" + std::to_string(int(1024 * scale)) + "x24";
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid < 0)
        failToStart(std::string("fork: ") + std::strerror(errno), log);
    if (m_pid == 0) {
        // A test that crashes or is killed on a time-out runs no destructor: the server goes with it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        if (log >= 0) {
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
        }
        fcntl(ready[1], F_SETFD, 0);
        execlp("Xvfb", "Xvfb", "-displayfd", readyFd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
            static_cast<char*>(nullptr));
        dprintf(STDERR_FILENO, "cannot run Xvfb: %s (Debian package xvfb)\n", std::strerror(errno));
        _exit(127);
    }
    close(ready[1]);
    const std::string number = readDisplayNumber(ready[0], std::chrono::seconds(10));
    close(ready[0]);
    if (number.empty()) {
        kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        failToStart(WIFEXITED(status) ? "Xvfb ended with status " + std::to_string(WEXITSTATUS(status))
                                      : std::string("Xvfb did not report a display within 10 s"),
            log);
    }
    if (log >= 0)
        close(log);
    const std::string display = ":" + number;
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // A dialog that runs exec() with no ModalAnswer armed waits for a click that never comes. Qt's
    // watchdog then names the hanging test function, where ctest's time-out would only kill it.
    setenv("QTEST_FUNCTION_TIMEOUT", "60000", 0);
}

RealDisplayServer::~RealDisplayServer()
{
    if (m_pid <= 0)
        return;
    // SIGTERM lets Xvfb remove its lock file and socket; a server that hangs is killed after 5 s.
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
}

XTestInput::XTestInput()
    : m_display(XOpenDisplay(nullptr))
{
    if (!m_display)
        qFatal("XTestInput: cannot open display %s", qgetenv("DISPLAY").constData());
    int eventBase, errorBase, major, minor;
    if (!XTestQueryExtension(m_display, &eventBase, &errorBase, &major, &minor))
        qFatal("XTestInput: the X server has no XTEST extension");
}

XTestInput::~XTestInput()
{
    XCloseDisplay(m_display);
}

// XSync after every request: it returns once the server has handled the fake events and queued
// what they cause for the program, so the test's next step cannot overtake them.
void XTestInput::moveTo(QPoint global)
{
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), global.x(), global.y(), CurrentTime);
    XSync(m_display, False);
}

void XTestInput::moveTo(QWidget* widget, QPoint local)
{
    // X works in device pixels; Qt's global coordinates are scaled by the screen's ratio.
    const QPointF global = widget->mapToGlobal(QPointF(local)) * widget->devicePixelRatioF();
    moveTo(global.toPoint());
}

void XTestInput::button(bool down)
{
    XTestFakeButtonEvent(m_display, Button1, down ? True : False, CurrentTime);
    XSync(m_display, False);
}

void XTestInput::press(QWidget* widget, QPoint local)
{
    moveTo(widget, local);
    button(true);
}

void XTestInput::release(QWidget* widget, QPoint local)
{
    moveTo(widget, local);
    button(false);
}

void XTestInput::click(QWidget* widget, QPoint local)
{
    press(widget, local);
    button(false);
}

void XTestInput::click(QWidget* widget)
{
    click(widget, widget->rect().center());
}

void XTestInput::drag(QWidget* widget, QPoint from, QPoint to, int steps, int stepMs)
{
    press(widget, from);
    for (int i = 1; i <= steps; ++i) {
        // The program must handle each motion before the next arrives: Qt merges motion events
        // that wait in its queue together into one.
        runEventLoop(stepMs);
        moveTo(widget, from + (to - from) * i / steps);
    }
    runEventLoop(stepMs);
    button(false);
}

KeyCode XTestInput::keyCode(Qt::Key key, Qt::KeyboardModifiers modifiers) const
{
    KeySym sym = NoSymbol;
    if (modifiers.testFlag(Qt::KeypadModifier) && (key == Qt::Key_Plus || key == Qt::Key_Minus))
        sym = key == Qt::Key_Plus ? XK_KP_Add : XK_KP_Subtract;
    else if (key >= Qt::Key_A && key <= Qt::Key_Z)
        sym = XK_a + (key - Qt::Key_A);
    else if (key >= Qt::Key_0 && key <= Qt::Key_9)
        sym = XK_0 + (key - Qt::Key_0);
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        sym = XK_F1 + (key - Qt::Key_F1);
    else {
        static const std::pair<Qt::Key, KeySym> others[] = {
            {Qt::Key_Return, XK_Return},
            {Qt::Key_Enter, XK_KP_Enter},
            {Qt::Key_Escape, XK_Escape},
            {Qt::Key_Tab, XK_Tab},
            {Qt::Key_Backspace, XK_BackSpace},
            {Qt::Key_Delete, XK_Delete},
            {Qt::Key_Space, XK_space},
            {Qt::Key_Left, XK_Left},
            {Qt::Key_Right, XK_Right},
            {Qt::Key_Up, XK_Up},
            {Qt::Key_Down, XK_Down},
            {Qt::Key_Home, XK_Home},
            {Qt::Key_End, XK_End},
            {Qt::Key_PageUp, XK_Prior},
            {Qt::Key_PageDown, XK_Next},
        };
        for (const auto& [qtKey, keySym] : others)
            if (qtKey == key)
                sym = keySym;
    }
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(m_display, sym);
    if (code == 0)
        qFatal("XTestInput: no key code for Qt key 0x%x", unsigned(key));
    return code;
}

void XTestInput::keyDown(Qt::Key key)
{
    XTestFakeKeyEvent(m_display, keyCode(key, Qt::NoModifier), True, CurrentTime);
    XSync(m_display, False);
}

void XTestInput::keyUp(Qt::Key key)
{
    XTestFakeKeyEvent(m_display, keyCode(key, Qt::NoModifier), False, CurrentTime);
    XSync(m_display, False);
}

void XTestInput::keyClick(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    const KeyCode code = keyCode(key, modifiers);
    QList<KeyCode> held;
    const std::pair<Qt::KeyboardModifier, KeySym> modifierKeys[] = {{Qt::ShiftModifier, XK_Shift_L},
        {Qt::ControlModifier, XK_Control_L}, {Qt::AltModifier, XK_Alt_L}, {Qt::MetaModifier, XK_Super_L}};
    for (const auto& [modifier, keySym] : modifierKeys)
        if (modifiers.testFlag(modifier))
            held.append(XKeysymToKeycode(m_display, keySym));
    for (KeyCode c : held)
        XTestFakeKeyEvent(m_display, c, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, False, CurrentTime);
    for (auto it = held.crbegin(); it != held.crend(); ++it)
        XTestFakeKeyEvent(m_display, *it, False, CurrentTime);
    XSync(m_display, False);
}

bool XTestInput::focusWindow(QWidget* widget, int timeoutMs)
{
    QWidget* window = widget->window();
    // Focusing a window that is not yet mapped is an X protocol error, and Xlib's default
    // handler ends the process on one.
    if (!QTest::qWaitForWindowExposed(window, timeoutMs))
        return false;
    XSetInputFocus(m_display, Window(window->winId()), RevertToParent, CurrentTime);
    XSync(m_display, False);
    return QTest::qWaitForWindowActive(window, timeoutMs);
}

QWidget* waitForModalDialog(int timeoutMs)
{
    QWidget* dialog = nullptr;
    const bool shown = QTest::qWaitFor(
        [&] {
            dialog = QApplication::activeModalWidget();
            return dialog && dialog->isVisible() && dialog->windowHandle() && dialog->windowHandle()->isExposed();
        },
        timeoutMs);
    return shown ? dialog : nullptr;
}

ModalAnswer::ModalAnswer(XTestInput& input, const QString& buttonText, int timeoutMs)
    : m_input(input)
    , m_buttonText(buttonText)
    , m_ignored(QApplication::activeModalWidget())
    , m_deadline(timeoutMs)
{
    QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this] { poll(); });
    m_poll.start(20);
}

void ModalAnswer::poll()
{
    if (m_clicked) {
        if (!m_dialog || !m_dialog->isVisible())
            m_poll.stop();
        else if (m_deadline.hasExpired())
            giveUp(QStringLiteral("the dialog stayed open after clicking \"%1\"").arg(m_buttonText));
        return;
    }
    QWidget* dialog = QApplication::activeModalWidget();
    // Under xcb a window may be visible to Qt before the server has mapped it; a click then
    // would land on whatever lies beneath.
    if (dialog && dialog != m_ignored && dialog->isVisible() && dialog->windowHandle()
        && dialog->windowHandle()->isExposed()) {
        m_dialog = dialog;
        QStringList seen;
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (!button->isVisible())
                continue;
            seen.append(button->text());
            if (button->isEnabled() && withoutMnemonic(button->text()) == withoutMnemonic(m_buttonText)) {
                if (auto* box = qobject_cast<QMessageBox*>(dialog))
                    m_dialogText = box->text();
                m_clicked = true;
                m_input.click(button);
                return;
            }
        }
        if (m_deadline.hasExpired())
            giveUp(QStringLiteral("no enabled button \"%1\" in the dialog; its buttons: %2")
                       .arg(m_buttonText, seen.join(QStringLiteral(", "))));
    } else if (m_deadline.hasExpired()) {
        giveUp(QStringLiteral("no modal dialog appeared to answer with \"%1\"").arg(m_buttonText));
    }
}

void ModalAnswer::giveUp(const QString& error)
{
    m_poll.stop();
    m_error = error;
    if (auto* dialog = qobject_cast<QDialog*>(m_dialog.data()))
        dialog->reject();
    else if (m_dialog)
        m_dialog->close();
}

bool ModalAnswer::wait()
{
    const bool finished
        = QTest::qWaitFor([this] { return !m_poll.isActive(); }, int(m_deadline.remainingTime()) + 1000);
    return finished && m_clicked && m_error.isEmpty();
}
