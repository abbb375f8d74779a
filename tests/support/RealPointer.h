#pragma once

// Real pointer input on a real X display, for the tests of pointer behaviour (hover, drag, held buttons):
// the offscreen platform has no pointer, so synthetic events there never show what the pointer's own
// position, an implicit grab or a drag loop do to the program.
//
// XServer starts an Xvfb of the test's own; Gesture runs xdotool steps without blocking, for gestures
// that go on inside an event loop of the program's (a drag); Pointer moves and presses step by step and
// waits until the program has seen each step; pointerTestMain() is the main() of a test of pointer
// behaviour.

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <csignal>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace TestSupport {

// An Xvfb server for one test program. Xvfb picks a free display number itself and reports it through a
// pipe (-displayfd). The server is stopped by the destructor, or by the kernel should the test process
// die first (a crash, or ctest's timeout), so no server outlives the test.
class XServer
{
public:
    XServer() = default;
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;
    ~XServer() { stop(); }

    // Starts `program` and waits until it accepts clients; the display name is then display().
    bool start(const QString &program, QString *error)
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            *error = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        // Everything the child needs is made before the fork.
        const QByteArray path = QFile::encodeName(program);
        const QByteArray fd = QByteArray::number(fds[1]);
        const char *argv[] = {"Xvfb",         "-displayfd", fd.constData(), "-screen", "0",
                              "1280x1024x24", "-nolisten",  "tcp",          nullptr};
        const pid_t parent = getpid();
        const pid_t pid = fork();
        if (pid < 0) {
            *error = QStringLiteral("fork: %1").arg(QString::fromLocal8Bit(strerror(errno)));
            close(fds[0]);
            close(fds[1]);
            return false;
        }
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit(127);
            fcntl(fds[1], F_SETFD, 0); // the write end stays open in Xvfb
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0) {
                dup2(null, STDIN_FILENO);
                dup2(null, STDOUT_FILENO);
                dup2(null, STDERR_FILENO); // its keymap warnings are of no interest here
            }
            execv(path.constData(), const_cast<char *const *>(argv));
            _exit(127);
        }
        m_pid = pid;
        close(fds[1]);

        // The display number, then a newline, once the server is ready.
        QByteArray answer;
        QDeadlineTimer deadline(10000);
        while (!answer.contains('\n')) {
            pollfd p{fds[0], POLLIN, 0};
            const int ready = poll(&p, 1, int(deadline.remainingTime()));
            if (ready <= 0)
                break;
            char buffer[32];
            const ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            answer.append(buffer, int(n));
        }
        close(fds[0]);
        bool ok = false;
        const int number = answer.trimmed().toInt(&ok);
        if (!answer.contains('\n') || !ok) {
            *error = QStringLiteral("%1 did not report a display").arg(program);
            stop();
            return false;
        }
        m_display = ':' + QByteArray::number(number);
        return true;
    }

    QByteArray display() const { return m_display; }

    void stop()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        for (int i = 0; i < 200; ++i) { // up to two seconds to clean up its socket and lock file
            if (waitpid(m_pid, nullptr, WNOHANG) != 0) {
                m_pid = -1;
                return;
            }
            usleep(10000);
        }
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    QByteArray m_display;
};

// A gesture of the real pointer: xdotool commands run one after the other. After each command the gesture
// waits until the program has seen what the command did (a condition given with the step) before it runs
// the next one. It lives on a timer and QProcess's signals and never blocks, so it goes on inside the
// event loop a drag runs of its own.
class Gesture : public QObject
{
public:
    using Condition = std::function<bool()>;

    explicit Gesture(QString xdotool) : m_xdotool(std::move(xdotool))
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &Gesture::tick);
    }

    // Runs xdotool with `command`, then, when `seen` is given, waits for it; `what` names what is waited
    // for in a failure. On a failure the gesture lets go of the left button and ends.
    void then(const QStringList &command, const QString &what = QString(), Condition seen = Condition())
    {
        m_steps.push_back({command, what, std::move(seen)});
    }
    void moveTo(const QPoint &global, const QString &what = QString(), Condition seen = Condition())
    {
        then({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())}, what,
             std::move(seen));
    }

    void start() { m_timer.start(); }
    bool finished() const { return m_finished; }
    // Empty when every step ran and was seen.
    QString failure() const { return m_failure; }

private:
    struct Step
    {
        QStringList command;
        QString what;
        Condition seen;
    };

    void tick()
    {
        if (m_finished || m_process.state() != QProcess::NotRunning)
            return;
        if (m_running) {
            const Step &step = m_steps.front();
            if (m_process.error() == QProcess::FailedToStart || m_process.exitStatus() != QProcess::NormalExit ||
                m_process.exitCode() != 0) {
                fail(QStringLiteral("xdotool %1 failed: %2")
                         .arg(step.command.join(QLatin1Char(' ')),
                              QString::fromLocal8Bit(m_process.readAllStandardError())));
                return;
            }
            if (step.seen && !step.seen()) {
                if (m_deadline.hasExpired())
                    fail(QStringLiteral("after xdotool %1: not seen: %2")
                             .arg(step.command.join(QLatin1Char(' ')), step.what));
                return;
            }
            m_steps.pop_front();
            m_running = false;
        }
        if (m_steps.empty()) {
            m_finished = true;
            m_timer.stop();
            return;
        }
        m_process.start(m_xdotool, m_steps.front().command);
        m_running = true;
        m_deadline.setRemainingTime(5000);
    }

    void fail(const QString &text)
    {
        if (!m_failure.isEmpty()) { // letting go of the button failed too
            m_finished = true;
            m_timer.stop();
            return;
        }
        m_failure = text;
        // The rest of the gesture is dropped and the left button let go. That also ends a drag that is
        // running, whose own event loop would otherwise keep the test waiting until it is killed.
        m_steps.clear();
        m_steps.push_back({{QStringLiteral("mouseup"), QStringLiteral("1")}, QString(), Condition()});
        m_running = false;
    }

    QString m_xdotool;
    std::deque<Step> m_steps;
    QProcess m_process;
    QTimer m_timer;
    QDeadlineTimer m_deadline;
    bool m_running = false;
    bool m_finished = false;
    QString m_failure;
};

// The pointer of a test of pointer behaviour. On an X display it is the real pointer, moved and pressed
// with xdotool, and each step returns once a window of the program has seen it; on the offscreen
// platform, which has no pointer, the steps are synthetic events.
class Pointer : public QObject
{
public:
    Pointer() { qApp->installEventFilter(this); }

    // Moves the pointer to `pos` in `widget`.
    bool moveTo(QWidget *widget, QPoint pos)
    {
        m_widget = widget;
        m_pos = pos;
        const QPoint at = widget->mapToGlobal(pos);
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QCursor::setPos(at); // where the platform says the pointer is
            QTest::mouseMove(widget, pos);
            return true;
        }
        return QCursor::pos() == at ||
               xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())},
                       QEvent::MouseMove, at);
    }
    // Presses or lets go of `button` where the pointer is.
    bool press(Qt::MouseButton button = Qt::LeftButton) { return useButton(button, true); }
    bool release(Qt::MouseButton button = Qt::LeftButton) { return useButton(button, false); }
    bool click() { return press() && release(); }
    // Lets go of the buttons a failed test left held, for the next test.
    void releaseHeld()
    {
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
            if (m_held & button)
                release(button);
        }
    }
    // Why the last step failed.
    QString error() const { return m_error; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // What reaches a window of the program, before it goes on to the widget under the pointer.
        if (watched->isWindowType() && event->type() == m_awaited &&
            static_cast<QMouseEvent *>(event)->globalPosition().toPoint() == m_target)
            m_awaited = QEvent::None;
        return QObject::eventFilter(watched, event);
    }

private:
    bool useButton(Qt::MouseButton button, bool down)
    {
        m_held.setFlag(button, down);
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            down ? QTest::mousePress(m_widget, button, {}, m_pos) : QTest::mouseRelease(m_widget, button, {}, m_pos);
            return true;
        }
        return xdotool({down ? QStringLiteral("mousedown") : QStringLiteral("mouseup"),
                        QString::number(button == Qt::RightButton ? 3 : 1)},
                       down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, QCursor::pos());
    }

    // Runs xdotool with `arguments` and waits until a window has seen an event of `type` at `global`.
    bool xdotool(const QStringList &arguments, QEvent::Type type, QPoint global)
    {
        m_awaited = type;
        m_target = global;
        QProcess process;
        process.start(QStandardPaths::findExecutable(QStringLiteral("xdotool")), arguments);
        const bool ran =
            process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (ran && QTest::qWaitFor([this] { return m_awaited == QEvent::None; }, 5000))
            return true;
        m_error =
            QStringLiteral("xdotool %1: %2")
                .arg(arguments.join(QLatin1Char(' ')),
                     ran ? QStringLiteral("no window saw it") : QString::fromLocal8Bit(process.readAllStandardError()));
        return false;
    }

    QWidget *m_widget = nullptr;
    QPoint m_pos;
    Qt::MouseButtons m_held;
    QEvent::Type m_awaited = QEvent::None;
    QPoint m_target;
    QString m_error;
};

// ctest reports a run that ends with this code as skipped (SKIP_RETURN_CODE in tests/CMakeLists.txt).
constexpr int kSkippedExitCode = 77;

// main() of a test of pointer behaviour. With QT_QPA_PLATFORM set it runs where that says (an X display
// named by DISPLAY, or offscreen); without, as under ctest, on an X server of its own, so that moving the
// real pointer disturbs no one. It is skipped when Xvfb or xdotool is missing.
template <class Test> int pointerTestMain(int argc, char *argv[])
{
    XServer server;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        for (const char *tool : {"Xvfb", "xdotool"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
                fprintf(stderr, "SKIP: %s is not installed (scripts/install-deps installs it)\n", tool);
                return kSkippedExitCode;
            }
        }
        QString error;
        if (!server.start(QStandardPaths::findExecutable(QStringLiteral("Xvfb")), &error)) {
            fprintf(stderr, "FAIL: %s\n", qPrintable(error));
            return 1;
        }
        qputenv("DISPLAY", server.display());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        Test test;
        result = QTest::qExec(&test, argc, argv);
    } // the application lets go of the display before the server stops
    server.stop();
    return result;
}

} // namespace TestSupport
