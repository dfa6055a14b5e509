#pragma once

// Tests on a real X display: the test starts an Xvfb of its own and drives the program's widgets
// with real X input (XTest), so that presses, releases, timers and modal dialogs interleave as
// they do for a pupil at the keyboard. Widget tests that need no real event timing stay offscreen.

#include <QApplication>
#include <QDeadlineTimer>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QtTest/QTest>

#include <sys/types.h>

class QWidget;
struct _XDisplay;

// An Xvfb that lives exactly as long as this object (and dies with the test process when that
// crashes). The constructor points DISPLAY and QT_QPA_PLATFORM at it, so it must exist before the
// QApplication. When Xvfb cannot start, the constructor prints why and exits the process with a
// failure: a real-display test that silently skipped would hide the faults it is there to catch.
class RealDisplayServer
{
public:
    RealDisplayServer();
    ~RealDisplayServer();
    RealDisplayServer(const RealDisplayServer&) = delete;
    RealDisplayServer& operator=(const RealDisplayServer&) = delete;

private:
    pid_t m_pid = -1;
};

// QTEST_MAIN on the test's own Xvfb.
#define TALLOWMERE_REAL_DISPLAY_MAIN(TestObject)                                                                       \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        RealDisplayServer realDisplayServer;                                                                           \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }

// Real pointer and keyboard input on the display, through a connection of its own. Every call
// returns only when the X server has taken its events, so what follows in the test happens after
// them; the program sees them once its event loop runs (QTRY_*, QTest::qWaitFor). Create it after
// the QApplication and let it go before the RealDisplayServer.
class XTestInput
{
public:
    XTestInput();
    ~XTestInput();
    XTestInput(const XTestInput&) = delete;
    XTestInput& operator=(const XTestInput&) = delete;

    void moveTo(QPoint global);
    // Points are in the widget's own coordinates; the pointer moves there first.
    void press(QWidget* widget, QPoint local);
    void release(QWidget* widget, QPoint local);
    void click(QWidget* widget, QPoint local);
    void click(QWidget* widget);
    // Presses at from, moves to the other point in `steps` motion events with the button held and
    // releases there. Runs the event loop for stepMs between the steps, as a hand's motion arrives
    // spread over time. The points are mapped through widget at every step: give a widget that
    // stays put (the panel a tile lies on, not the tile that follows the pointer).
    void drag(QWidget* widget, QPoint from, QPoint to, int steps, int stepMs = 10);

    // Letters, digits, F1-F35, Return, Enter, Escape, Tab, Backspace, Delete, Space, arrows, Home,
    // End, PageUp, PageDown, and Plus and Minus with Qt::KeypadModifier (the number pad's); another
    // key is a fault of the test and aborts it. The key goes to the window that has the X input
    // focus: see focusWindow.
    void keyClick(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A key held down until keyUp: the X server repeats it as a held key repeats.
    void keyDown(Qt::Key key);
    void keyUp(Qt::Key key);
    // There is no window manager to give a shown window the focus: this does what one would and
    // waits until Qt has made the window active. False when it did not become active in time.
    [[nodiscard]] bool focusWindow(QWidget* widget, int timeoutMs = 5000);

private:
    unsigned char keyCode(Qt::Key key, Qt::KeyboardModifiers modifiers) const;
    void moveTo(QWidget* widget, QPoint local);
    void button(bool down);

    _XDisplay* m_display = nullptr;
};

// Waits for a modal dialog that is shown without a nested event loop (open(), show()) to be
// visible and exposed; nullptr when none came within the time. A dialog that runs exec() blocks
// the test's code until it closes: answer that one with ModalAnswer.
QWidget* waitForModalDialog(int timeoutMs = 5000);

// Clicks the button with the given text (mnemonic '&' optional: "&Ja" or "Ja") of the next modal
// dialog, a QMessageBox or any other, with a real click on the button's centre. Arm it before the
// action that opens the dialog: it watches from a timer, so it also acts inside the dialog's own
// exec() loop, where the test's code cannot run. A modal dialog already open when it is armed is
// not the next one. When no dialog shows such a button, or the dialog stays open after the click,
// within the time, it rejects the dialog so that the test does not hang, and error() says why.
class ModalAnswer
{
public:
    ModalAnswer(XTestInput& input, const QString& buttonText, int timeoutMs = 10000);

    // Runs the event loop until the dialog was answered and has closed, or the answer gave up.
    // True when the button was clicked and the dialog closed.
    [[nodiscard]] bool wait();
    bool clicked() const { return m_clicked; }
    QString error() const { return m_error; }
    // The dialog's main text when it was a message box, for checking what the pupil was asked.
    QString dialogText() const { return m_dialogText; }

private:
    void poll();
    void giveUp(const QString& error);

    XTestInput& m_input;
    QString m_buttonText;
    QPointer<QWidget> m_ignored;
    QPointer<QWidget> m_dialog;
    QTimer m_poll;
    QDeadlineTimer m_deadline;
    bool m_clicked = false;
    QString m_error;
    QString m_dialogText;
};
