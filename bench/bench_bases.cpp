#include "BenchCommon.h"
#include "app/Program.h"
#include "core/catalogue/BaseFiles.h"
#include "core/system/FileCopy.h"
#include "ui/main/BaseSession.h"
#include "ui/main/BasesCommands.h"
#include "ui/main/TrackCommands.h"
#include "ui/main/TrackSearch.h"
#include "ui/main/frmMain.h"
#include "ui/platform/MsgBox.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

using namespace Bench;

namespace {

// Switching between two bases of `tracks` tracks each: the open one is saved, the other loaded and
// shown. The baseline writes one table and reads the other file, with no window.
void benchSwitching(const QString &dir, int tracks, int runs)
{
    QTemporaryDir folder(dir + QStringLiteral("/basesXXXXXX"));
    QDir(folder.path()).mkdir(QStringLiteral("DATA"));
    const QString first = folder.path() + QStringLiteral("/DATA/A.dat");
    const QString second = folder.path() + QStringLiteral("/DATA/B.dat");
    writeFile(first, generateBase(tracks, 1));
    writeFile(second, generateBase(tracks, 2));

    const auto previous = MsgBox::setAnswerer([](const MsgBox::Request &) { return MsgBox::Yes; });
    Program program(folder.path());
    program.Main();
    waitForLoad(program);
    frmMain *w = program.main;

    std::vector<double> switching, baseline;
    for (int r = 0; r < runs; ++r) {
        switching.push_back(timeMs([&] {
            w->features().bases->mnuSelectBase_Click(r % 2 == 0 ? 1 : 0);
            waitForLoad(program);
        }));
        baseline.push_back(timeMs([&] {
            program.g.catalogue.writeBase(r % 2 == 0 ? first : second, nullptr);
            TrackTable table;
            BaseFiles::readBase(r % 2 == 0 ? second : first, table);
        }));
    }
    report("Switch base (save + load)", tracks, median(switching), median(baseline), "writeBase+readBase");

    // The safety copy of the open base, beside a plain copy of the same file.
    std::vector<double> copy, plain;
    const QString base = program.g.paths.baseFilePath();
    const QString target = folder.path() + QStringLiteral("/plain.dat");
    for (int r = 0; r < runs; ++r) {
        copy.push_back(timeMs([&] { FileCopy::copy(base, base + QLatin1Char('$')); }));
        QFile::remove(target);
        plain.push_back(timeMs([&] { QFile::copy(base, target); }));
    }
    report("Safety copy of the base", tracks, median(copy), median(plain), "QFile::copy (no sync)");

    w->features().session->setSaveOnClose(false);
    w->close();
    MsgBox::setAnswerer(previous);
}

} // namespace

void benchBases(const QString &dir)
{
    benchSwitching(dir, 100'000, 5);
    benchSwitching(dir, 1'000'000, 3);
}
