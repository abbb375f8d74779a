#pragma once

// What every benchmark figure shares: generated tracks, timing, the median and the report line.

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

class Program;

namespace TestSupport {
class PrivateCups;
}

namespace Bench {

// A base file of `tracks` plausible tracks, Cyrillic and Latin mixed, the same for the same seed.
QByteArray generateBase(int tracks, quint32 seed = 1234);
// Writes `content` to the file at `path`, replacing it.
void writeFile(const QString &path, const QByteArray &content);
double median(std::vector<double> values);
double timeMs(const std::function<void()> &work);
// The longest time between two turns of the event loop while `running` holds, in ms.
double longestTurn(const std::function<bool()> &running);
// Waits until the base the program opened last is read whole (a large one is read in the background).
void waitForLoad(const Program &program);
// One line: the work, its size, its median time, and the baseline's median time beside it.
void report(const char *work, int size, double ms, double baselineMs, const char *baseline,
            const char *unit = "tracks");

} // namespace Bench

// The figures of each part of the program, each in its own file.
void benchSearch(const QString &dir);
void benchCompletion();
void benchBases(const QString &dir);
void benchMedia(const QString &dir);
// `reports`: also the report onto an image and into a PDF file, besides the whole print job.
void benchPrint(const QString &dir, TestSupport::PrivateCups &cups, bool reports = true);
void benchCddb(int runs);
void benchFolder(const QString &dir);
// The start of the real program binary at `program`, timed from outside to each start-up milestone.
void benchStartup(const QString &dir, const QString &program);
