#include "BenchCommon.h"

#include "app/Program.h"
#include "core/text/Cp1251.h"
#include "ui/main/BaseSession.h"
#include "ui/main/frmMain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace Bench {

// A seeded generator of plausible tracks, Cyrillic and Latin mixed.
QByteArray generateBase(int tracks, quint32 seed)
{
    static const char *const kLatin[] = {"Deep", "House", "Night", "Groove", "Sound", "Love",  "Dance",  "Bass",
                                         "Soul", "Mix",   "Dream", "Light",  "Funk",  "Disco", "Street", "Machine"};
    static const char16_t *const kCyrillic[] = {u"Ночь", u"Город", u"Звезда", u"Ветер", u"Любовь", u"Танец",
                                                u"Море", u"Лето",  u"Огонь",  u"Небо",  u"Дорога", u"Время"};
    static const char *const kStyles[] = {"House", "Techno", "Trance", "Disco", "Drum'n'Bass", "Pop", "Rock"};
    QRandomGenerator random(seed);
    const auto word = [&random]() -> QString {
        if (random.bounded(3) == 0)
            return QString::fromUtf16(kCyrillic[random.bounded(int(std::size(kCyrillic)))]);
        return QLatin1String(kLatin[random.bounded(int(std::size(kLatin)))]);
    };
    const auto words = [&](int n) {
        QString s = word();
        for (int i = 1; i < n; ++i)
            s += QLatin1Char(' ') + word();
        return s;
    };
    QByteArray out;
    out.reserve(qsizetype(tracks) * 110);
    for (int i = 0; i < tracks; ++i) {
        const QString line =
            QStringList{
                random.bounded(4) ? QStringLiteral("CD") : QStringLiteral("LP"),
                QString::number(random.bounded(1, 3000)),
                QString::number(random.bounded(1, 20)),
                words(2),
                words(1 + random.bounded(4)),
                words(2),
                QStringLiteral("%1:%2").arg(random.bounded(2, 9)).arg(random.bounded(60), 2, 10, QLatin1Char('0')),
                QStringLiteral("%1.%2.20%3")
                    .arg(random.bounded(1, 29), 2, 10, QLatin1Char('0'))
                    .arg(random.bounded(1, 13), 2, 10, QLatin1Char('0'))
                    .arg(random.bounded(0, 27), 2, 10, QLatin1Char('0')),
                QLatin1String(kStyles[random.bounded(int(std::size(kStyles)))]),
                word(),
                random.bounded(5) ? QString() : words(3),
                QString::number(random.bounded(6)),
                QString(),
                QString()}
                .join(QLatin1Char('\t'));
        out += Cp1251::encode(line);
        out += "\r\n";
    }
    return out;
}

void waitForLoad(const Program &program)
{
    while (program.main && program.main->features().session->isLoading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
}

double timeMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

void report(const char *work, int size, double ms, double baselineMs, const char *baseline, const char *unit)
{
    std::printf("%-28s %9d %-7s %9.1f ms   baseline %-28s %9.1f ms   ratio %5.2f\n", work, size, unit, ms, baseline,
                baselineMs, baselineMs > 0 ? ms / baselineMs : 0.0);
    std::fflush(stdout);
}

double longestTurn(const std::function<bool()> &running)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = qMax(longest, now - last);
        last = now;
    });
    tick.start(0);
    while (running())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return double(longest) / 1e6;
}

} // namespace Bench
