// Dragging a track from the track list onto the Tracklist with the real pointer. The drag runs the
// platform's own drag loop, which synthetic Qt events never reach, so this test starts an X server of its
// own (Xvfb), shows the program there and moves the pointer with xdotool.
#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/controls/BalloonWindow.h"
#include "ui/controls/CTooltip.h"
#include "ui/controls/SkinButton.h"
#include "ui/edit/frmAddEdit.h"
#include "ui/main/frmMain.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDrag>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace MainParts;
using namespace TestSupport;

namespace {

// ctest reports a run that ends with this code as skipped (SKIP_RETURN_CODE in tests/CMakeLists.txt).
constexpr int kSkippedExitCode = 77;

// An Xvfb server for this test alone. Xvfb picks a free display number itself and reports it through a
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

} // namespace

class tst_dragx11 : public QObject
{
    Q_OBJECT

public:
    tst_dragx11(QString xdotool, QString skipReason, QString serverError)
        : m_xdotool(std::move(xdotool)), m_skipReason(std::move(skipReason)), m_serverError(std::move(serverError))
    {}

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void dropAddsTheGrabbedTrackAfterCrossingRows();
    void dropStraightOntoTheTracklist();
    void hoverLightsButtonsAndShowsHeaderTips();

private:
    // The centre of `row` of the track list, and of the Tracklist's rows' area, in screen coordinates.
    QPoint rowPoint(int row) const;
    QPoint tracklistPoint(int dx = 0, int dy = 0) const;
    bool dragRunning() const { return w->findChild<QDrag *>() != nullptr; }
    // Runs the gesture to its end; false, and why, when a step failed.
    bool run(Gesture &gesture, QString *failure);
    // The track list's row `row` as the Tracklist shows it when it is added as its first entry.
    QString asFirstEntry(int row) const;
    QStringList tracklistRows() const;
    // The selection, the editor's fields and the track commands all speak of `row`.
    void checkWindowShowsRow(int row) const;

    QString m_xdotool;
    QString m_skipReason;
    QString m_serverError;
    std::unique_ptr<Session> m_session;
    frmMain *w = nullptr;
};

void tst_dragx11::initTestCase()
{
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    QVERIFY2(m_serverError.isEmpty(), qPrintable(m_serverError));
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    Twips::setPerPixelForTesting(15, 15);
}

void tst_dragx11::init()
{
    m_session = std::make_unique<Session>();
    QVERIFY(m_session->start(QStringLiteral("Main.dat"), baseLines(30), "[Settings]\r\nShowPanel=True\r\n"));
    w = m_session->program->main;
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QVERIFY(lv2(w)->isVisible());
    QTRY_VERIFY(lv2(w)->viewport()->height() > 20);
    // Nothing selected, and the first rows in view, so the rows a gesture aims at are on the screen.
    lv(w)->setSelectedRow(-1);
    lv(w)->scrollToTop();
    // Without a window manager the window is where the program put it; both lists must be on the screen
    // for the pointer to reach them.
    const QRect screen = w->screen()->geometry();
    QVERIFY(screen.contains(rowPoint(0)));
    QVERIFY(screen.contains(tracklistPoint()));
}

void tst_dragx11::cleanup()
{
    w = nullptr;
    const int stray = m_session ? m_session->finish() : 0;
    m_session.reset();
    QCOMPARE(stray, 0);
}

QPoint tst_dragx11::rowPoint(int row) const
{
    const QRect rect = lv(w)->visualRect(lv(w)->model()->index(row, 0));
    return lv(w)->viewport()->mapToGlobal(QPoint(lv(w)->viewport()->width() / 3, rect.center().y()));
}

QPoint tst_dragx11::tracklistPoint(int dx, int dy) const
{
    return lv2(w)->viewport()->mapToGlobal(lv2(w)->viewport()->rect().center() + QPoint(dx, dy));
}

bool tst_dragx11::run(Gesture &gesture, QString *failure)
{
    gesture.start();
    if (!QTest::qWaitFor([&] { return gesture.finished(); }, 20000))
        *failure = QStringLiteral("the gesture did not end");
    else
        *failure = gesture.failure();
    return failure->isEmpty();
}

QString tst_dragx11::asFirstEntry(int row) const
{
    return QStringList{QStringLiteral("1"), lv(w)->itemText(row, 3), lv(w)->itemText(row, 4), lv(w)->itemText(row, 6),
                       lv(w)->itemText(row, 0) + QStringLiteral(" #") + lv(w)->itemText(row, 1)}
        .join(QLatin1Char('|'));
}

QStringList tst_dragx11::tracklistRows() const
{
    QStringList list;
    for (int row = 0; row < lv2(w)->count(); ++row)
        list.append(lv2(w)->itemTexts(row).toList().join(QLatin1Char('|')));
    return list;
}

void tst_dragx11::checkWindowShowsRow(int row) const
{
    QCOMPARE(lv(w)->selectedRow(), row);
    QCOMPARE(lv(w)->currentIndex().row(), row);
    QVERIFY(action(w, "mnuEditRecord")->isEnabled());
    for (int box = frmAddEdit::kFirstBox; box <= frmAddEdit::kLastBox; ++box)
        QCOMPARE(m_session->program->addEdit->txt[box]->text(), lv(w)->itemText(row, box - 1));
}

void tst_dragx11::dropAddsTheGrabbedTrackAfterCrossingRows()
{
    // Pressed on one row, the pointer goes down over other rows, which the held button selects in turn,
    // and on out of the list onto the Tracklist. The row carried and added is the row pressed.
    const int grabbed = 2;
    QVERIFY(lv(w)->viewport()->rect().contains(lv(w)->viewport()->mapFromGlobal(rowPoint(grabbed + 4))));
    const QString expected = asFirstEntry(grabbed);
    QCOMPARE(expected, QStringLiteral("1|Artist 3|Title 3||CD #3"));

    Gesture gesture(m_xdotool);
    gesture.moveTo(rowPoint(grabbed));
    gesture.then({QStringLiteral("mousedown"), QStringLiteral("1")}, QStringLiteral("the press selects its row"),
                 [&] { return lv(w)->selectedRow() == grabbed; });
    gesture.moveTo(rowPoint(grabbed + 2), QStringLiteral("the held button selects the row under the pointer"),
                   [&] { return lv(w)->selectedRow() == grabbed + 2; });
    gesture.moveTo(rowPoint(grabbed + 4), QStringLiteral("the held button selects the row under the pointer"),
                   [&] { return lv(w)->selectedRow() == grabbed + 4; });
    gesture.moveTo(tracklistPoint(), QStringLiteral("a drag starts outside the list"), [&] { return dragRunning(); });
    gesture.moveTo(tracklistPoint(5, 3));
    gesture.moveTo(tracklistPoint(10, 6));
    gesture.then({QStringLiteral("mouseup"), QStringLiteral("1")}, QStringLiteral("the drop adds an entry"),
                 [&] { return lv2(w)->count() > 0 && !dragRunning(); });
    QString failure;
    QVERIFY2(run(gesture, &failure), qPrintable(failure));

    QCOMPARE(tracklistRows(), QStringList{expected});
    checkWindowShowsRow(grabbed);
}

void tst_dragx11::dropStraightOntoTheTracklist()
{
    // Pressed on a row and taken straight out of the list, crossing no other row.
    const int grabbed = 5;
    const QString expected = asFirstEntry(grabbed);

    Gesture gesture(m_xdotool);
    gesture.moveTo(rowPoint(grabbed));
    gesture.then({QStringLiteral("mousedown"), QStringLiteral("1")}, QStringLiteral("the press selects its row"),
                 [&] { return lv(w)->selectedRow() == grabbed; });
    gesture.moveTo(tracklistPoint(), QStringLiteral("a drag starts outside the list"), [&] { return dragRunning(); });
    gesture.moveTo(tracklistPoint(5, 3));
    gesture.then({QStringLiteral("mouseup"), QStringLiteral("1")}, QStringLiteral("the drop adds an entry"),
                 [&] { return lv2(w)->count() > 0 && !dragRunning(); });
    QString failure;
    QVERIFY2(run(gesture, &failure), qPrintable(failure));

    QCOMPARE(tracklistRows(), QStringList{expected});
    checkWindowShowsRow(grabbed);
}

void tst_dragx11::hoverLightsButtonsAndShowsHeaderTips()
{
    // A picture button lights up under the pointer and goes back to rest when the pointer leaves it; a
    // column header shows its caption in a balloon while the pointer rests on it, and the balloon goes when
    // the pointer leaves the header.
    SkinButton *exit = button(w, "cmdExit");
    const auto shows = [](const SkinButton *b, const QPixmap &picture) {
        return b->Picture().cacheKey() == picture.cacheKey();
    };
    auto *tip = w->findChild<CTooltip *>();
    QVERIFY(tip);
    QHeaderView *header = lv(w)->header();
    const int column = 3;
    const QString caption = lv(w)->model()->headerData(column, Qt::Horizontal).toString();
    const QPoint onHeader =
        header->viewport()->mapToGlobal(QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    const auto tipShown = [&] { return tip->tipWindow() && tip->tipWindow()->isVisible() && tip->Title() == caption; };

    Gesture gesture(m_xdotool);
    gesture.moveTo(exit->mapToGlobal(exit->rect().center()), QStringLiteral("the button lights up"),
                   [&] { return shows(exit, exit->Picture_2()); });
    gesture.moveTo(rowPoint(3), QStringLiteral("the button goes back to rest"),
                   [&] { return shows(exit, exit->Picture_1()); });
    gesture.moveTo(onHeader, QStringLiteral("the balloon shows the column's caption"), tipShown);
    gesture.moveTo(rowPoint(3), QStringLiteral("the balloon goes with the pointer"),
                   [&] { return !tip->tipWindow() || !tip->tipWindow()->isVisible(); });
    QString failure;
    QVERIFY2(run(gesture, &failure), qPrintable(failure));
    QVERIFY(!caption.isEmpty());
}

int main(int argc, char *argv[])
{
    // The display has to be chosen before the application connects to one.
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    QString skipReason;
    if (xvfb.isEmpty())
        skipReason = QStringLiteral("Xvfb is not installed (scripts/install-deps installs it)");
    else if (xdotool.isEmpty())
        skipReason = QStringLiteral("xdotool is not installed (scripts/install-deps installs it)");

    XServer server;
    QString serverError;
    if (skipReason.isEmpty() && server.start(xvfb, &serverError)) {
        qputenv("DISPLAY", server.display());
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        // Nothing to show windows on: the test case reports why and runs nothing.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    int result = 0;
    {
        QApplication app(argc, argv);
        tst_dragx11 test(xdotool, skipReason, serverError);
        QTEST_SET_MAIN_SOURCE_PATH
        result = QTest::qExec(&test, argc, argv);
    } // the application lets go of the display before the server stops
    server.stop();
    if (result == 0 && !skipReason.isEmpty())
        return kSkippedExitCode;
    return result;
}

#include "tst_dragx11.moc"
