// The start of the real program, timed from outside: a copy of the program binary in a folder of its own
// with one base, started as a user would start it, on an off-screen display. Its start-up milestones
// arrive on stderr (log category "cratebook.startup"); the time to each is taken when its line arrives.

#include "BenchCommon.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <optional>
#include <signal.h>
#include <unistd.h>
#include <vector>

using namespace Bench;

namespace {

constexpr int kRuns = 3;
constexpr int kTimeoutMs = 60'000;

// The milestones, in no particular order: the program may show its first rows before the whole base is
// in, or after.
enum Milestone { FirstRows, BaseLoaded, SearchReady, MilestoneCount };
constexpr std::array<const char *, MilestoneCount> kMilestoneText = {"first rows shown",
                                                                     "base loaded:", "search ready"};

struct Run
{
    std::array<double, MilestoneCount> ms{};
    double peakMiB = 0;
    double residentMiB = 0;
};

// One screen large enough that the program asks nothing about the screen size at start.
const char kScreens[] = R"({"screens":[{"name":"bench","x":0,"y":0,"width":1280,"height":1024,)"
                        R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})";

// A size from /proc/<pid>/status ("VmHWM:   123456 kB"), in MiB; negative when it cannot be read.
double statusMiB(const QByteArray &status, const QByteArray &key)
{
    for (const QByteArray &line : status.split('\n')) {
        if (!line.startsWith(QByteArray(key + ':')))
            continue;
        const QList<QByteArray> parts = line.mid(key.size() + 1).simplified().split(' ');
        bool ok = false;
        const double kB = parts.value(0).toDouble(&ok);
        return ok ? kB / 1024.0 : -1;
    }
    return -1;
}

// Puts the file at `path` on the disk, so that writing it back does not overlap a timed start.
bool syncFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && ::fsync(f.handle()) == 0;
}

QByteArray readStatus(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The environment of a started program: its home, settings and caches inside `root`, the off-screen
// display described by `screens`, and the start-up milestones on.
QProcessEnvironment programEnvironment(const QString &root, const QString &screens)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_MESSAGE_PATTERN", "QT_LOGGING_CONF", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                             "QT_FONT_DPI", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    const auto folder = [&root](const char *name) {
        const QString path = root + QLatin1Char('/') + QLatin1String(name);
        QDir().mkpath(path);
        return path;
    };
    env.insert(QStringLiteral("HOME"), folder("home"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder("home/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), folder("home/.local/share"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), folder("home/.local/state"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), folder("home/.cache"));
    const QString runtime = folder("runtime");
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + screens);
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("cratebook.startup.info=true"));
    return env;
}

// One start of `program` on a base with `content` (`tracks` tracks), until every milestone arrived; then
// the program is killed, since nothing of it is to be kept. Empty, with the reason printed, when the
// program ended, reported something else or never got there in time.
std::optional<Run> startOnce(const QString &dir, const QString &program, const QByteArray &content, int tracks)
{
    const auto fail = [tracks](const QString &why) {
        std::printf("%-28s %9d tracks  FAILED: %s\n", "Start of the program", tracks, qPrintable(why));
        std::fflush(stdout);
        return std::nullopt;
    };
    QTemporaryDir root(dir + QStringLiteral("/programXXXXXX"));
    const QString folder = root.path() + QStringLiteral("/Cratebook");
    const QString binary = folder + QLatin1Char('/') + QFileInfo(program).fileName();
    if (!QDir().mkpath(folder + QStringLiteral("/DATA")) || !QFile::copy(program, binary))
        return fail(QStringLiteral("could not copy %1 into %2").arg(program, folder));
    const QString base = folder + QStringLiteral("/DATA/Bench.dat");
    writeFile(base, content);
    const QString screens = root.path() + QStringLiteral("/screens.json");
    writeFile(screens, kScreens);
    if (QFileInfo(base).size() != content.size() || !syncFile(base) || !syncFile(binary))
        return fail(QStringLiteral("could not write the base into %1").arg(folder));

    QProcess process;
    process.setProcessEnvironment(programEnvironment(root.path(), screens));
    process.setWorkingDirectory(root.path());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setReadChannel(QProcess::StandardError);
    // A group of its own, so that whatever the program starts is killed with it.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });

    Run run;
    std::array<bool, MilestoneCount> seen{};
    int seenCount = 0;
    QByteArray pending;
    QList<QByteArray> lastLines; // for the reason of a failed start
    QString wrong;

    QElapsedTimer clock;
    clock.start();
    process.start(binary, {});
    if (!process.waitForStarted(kTimeoutMs))
        return fail(QStringLiteral("%1 did not start: %2").arg(binary, process.errorString()));
    const qint64 pid = process.processId();
    while (seenCount < MilestoneCount && wrong.isEmpty()) {
        const qint64 left = kTimeoutMs - clock.elapsed();
        if (left <= 0 || !process.waitForReadyRead(int(left)))
            break;
        pending += process.readAllStandardError();
        const double now = double(clock.nsecsElapsed()) / 1e6;
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0;) {
            const QByteArray line = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            lastLines.append(line);
            if (lastLines.size() > 5)
                lastLines.removeFirst();
            const qsizetype at = line.indexOf("cratebook.startup: ");
            if (at < 0)
                continue;
            const QByteArray text = line.mid(at + 19);
            for (int m = 0; m < MilestoneCount; ++m) {
                if (!text.startsWith(kMilestoneText[m]) || seen[m])
                    continue;
                seen[m] = true;
                ++seenCount;
                run.ms[m] = now;
                if (m == BaseLoaded && text != "base loaded: " + QByteArray::number(tracks) + " tracks")
                    wrong = QStringLiteral("the program said \"%1\"").arg(QString::fromUtf8(text));
            }
        }
    }
    if (seenCount == MilestoneCount && wrong.isEmpty()) {
        const QByteArray status = readStatus(pid);
        run.peakMiB = statusMiB(status, "VmHWM");
        run.residentMiB = statusMiB(status, "VmRSS");
    }
    const bool ended = process.state() == QProcess::NotRunning;
    if (!ended)
        ::kill(-pid_t(pid), SIGKILL);
    process.kill();
    process.waitForFinished(kTimeoutMs);

    if (seenCount == MilestoneCount && wrong.isEmpty()) {
        if (run.peakMiB < 0 || run.residentMiB < 0)
            return fail(QStringLiteral("could not read /proc/%1/status").arg(pid));
        return run;
    }
    if (wrong.isEmpty()) {
        QStringList missing;
        for (int m = 0; m < MilestoneCount; ++m) {
            if (!seen[m])
                missing << QString::fromLatin1(kMilestoneText[m]).remove(QLatin1Char(':'));
        }
        wrong = ended ? QStringLiteral("the program ended (exit code %1) before: %2")
                            .arg(process.exitCode())
                            .arg(missing.join(QStringLiteral(", ")))
                      : QStringLiteral("no \"%1\" within %2 s")
                            .arg(missing.join(QStringLiteral("\", \"")))
                            .arg(kTimeoutMs / 1000);
    }
    if (!lastLines.isEmpty())
        wrong += QStringLiteral("; its last lines: ") + QString::fromLocal8Bit(lastLines.join(" | "));
    return fail(wrong);
}

struct Medians
{
    std::array<double, MilestoneCount> ms{};
    double peakMiB = 0;
    double residentMiB = 0;
};

// The medians of `runs` starts on a base of `tracks` tracks; empty when any start failed.
std::optional<Medians> measure(const QString &dir, const QString &program, int tracks, int runs)
{
    const QByteArray content = generateBase(tracks);
    std::array<std::vector<double>, MilestoneCount> ms;
    std::vector<double> peak, resident;
    for (int r = 0; r < runs; ++r) {
        const std::optional<Run> run = startOnce(dir, program, content, tracks);
        if (!run)
            return std::nullopt;
        for (int m = 0; m < MilestoneCount; ++m)
            ms[m].push_back(run->ms[m]);
        peak.push_back(run->peakMiB);
        resident.push_back(run->residentMiB);
    }
    Medians result;
    for (int m = 0; m < MilestoneCount; ++m)
        result.ms[m] = median(ms[m]);
    result.peakMiB = median(peak);
    result.residentMiB = median(resident);
    return result;
}

// A figure's line in the look of Bench::report, with the aim and whether it was met after it.
void line(const char *work, int tracks, double value, const char *unit, double baseline, double aim = 0,
          const char *aimText = "")
{
    std::printf("%-28s %9d tracks  %9.1f %-3s  baseline %-28s %9.1f %-3s  ratio %5.2f", work, tracks, value, unit,
                "same program, 1 track", baseline, unit, baseline > 0 ? value / baseline : 0.0);
    if (aim > 0) {
        std::printf("   aim %s", aimText);
        if (value <= aim)
            std::printf(": met");
        else
            std::printf(": missed by %.1f %s", value - aim, unit);
    }
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

void benchStartup(const QString &dir, const QString &program)
{
    if (!QFileInfo(program).isExecutable()) {
        std::printf("%-28s FAILED: no program binary at %s\n", "Start of the program", qPrintable(program));
        std::fflush(stdout);
        return;
    }
    std::printf("Start of the program %s (outside, median of %d starts)\n", qPrintable(program), kRuns);
    std::fflush(stdout);
    // The same program on a one-track base: what any start costs, the base aside.
    const std::optional<Medians> fixed = measure(dir, program, 1, kRuns);
    if (!fixed)
        return;
    // 300 MB, in MiB.
    const double memoryAim = 300e6 / 1048576.0;
    for (const int tracks : {100'000, 1'000'000}) {
        const std::optional<Medians> m = measure(dir, program, tracks, kRuns);
        if (!m)
            continue;
        const bool aims = tracks == 1'000'000;
        line("Start to first rows", tracks, m->ms[FirstRows], "ms", fixed->ms[FirstRows], aims ? 500 : 0, "0.5 s");
        line("Start to base loaded", tracks, m->ms[BaseLoaded], "ms", fixed->ms[BaseLoaded], aims ? 1500 : 0,
             "1.5 s, loaded, searchable");
        line("Start to search ready", tracks, m->ms[SearchReady], "ms", fixed->ms[SearchReady], aims ? 1500 : 0,
             "1.5 s, loaded, searchable");
        line("Peak resident size", tracks, m->peakMiB, "MiB", fixed->peakMiB, aims ? memoryAim : 0,
             "under 300 MB (286.1 MiB)");
        line("Resident size when ready", tracks, m->residentMiB, "MiB", fixed->residentMiB);
    }
}
