// Cratebook benchmark: each figure is the median of several runs, printed beside a plain baseline doing
// comparable raw work in the same run, so the ratio holds on a noisy machine.

#include "BenchCommon.h"
#include "app/Program.h"
#include "core/catalogue/BaseFiles.h"
#include "core/catalogue/Numbers.h"
#include "core/sort/ShelfSort.h"
#include "core/text/Cp1251.h"
#include "support/PrivateCups.h"
#include "ui/controls/uSc_ListView_Xtended_Sort.h"
#include "ui/edit/frmAddEdit.h"
#include "ui/main/BaseSession.h"
#include "ui/main/BasesCommands.h"
#include "ui/main/TrackCommands.h"
#include "ui/main/TrackSearch.h"
#include "ui/main/frmMain.h"
#include "ui/platform/ListView.h"
#include "ui/platform/MsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <numeric>
#include <unistd.h>
#include <vector>

using namespace Bench;
using BaseFiles::forEachLine;

namespace {

// Bytes currently allocated on the heap (not the resident size, which freed memory left from earlier
// runs would hide).
double heapBytes()
{
    return double(mallinfo2().uordblks) + double(mallinfo2().hblkhd);
}

void benchFiles(const QString &dir, int tracks, int runs)
{
    const QString path = dir + QStringLiteral("/bench.dat");
    const QByteArray content = generateBase(tracks);
    writeFile(path, content);

    std::vector<double> load, loadBase, save, saveBase;
    for (int r = 0; r < runs; ++r) {
        loadBase.push_back(timeMs([&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            const QByteArray bytes = f.readAll();
            const QString text = Cp1251::decode(bytes);
            std::vector<QString> lines;
            lines.reserve(size_t(tracks));
            for (const QStringView line : QStringTokenizer(text, u"\r\n", Qt::SkipEmptyParts))
                lines.push_back(line.toString());
        }));
        TrackTable table;
        load.push_back(timeMs([&] { BaseFiles::readBase(path, table); }));

        saveBase.push_back(timeMs([&] {
            QByteArray out;
            out.reserve(content.size());
            for (int i = 1; i <= table.count(); ++i) {
                Cp1251::encodeAppend(table.at(i).joined(), out);
                out += "\r\n";
            }
            QFile f(dir + QStringLiteral("/raw.dat"));
            f.open(QIODevice::WriteOnly);
            f.write(out);
            f.flush();
            fsync(f.handle()); // a safe save must reach the disk, so the baseline does too
        }));
        save.push_back(timeMs([&] { BaseFiles::writeBase(dir + QStringLiteral("/saved.dat"), table); }));
    }
    report("LoadBase", tracks, median(load), median(loadBase), "read+decode+split");
    report("SaveBase", tracks, median(save), median(saveBase), "encode+write+fsync");

    // Memory of a loaded base: the table, and the main list's rows, which hold only their track's index.
    const double before = heapBytes();
    {
        TrackTable table;
        BaseFiles::readBase(path, table);
        std::vector<int> rows(size_t(table.count()));
        std::iota(rows.begin(), rows.end(), 1);
        const double after = heapBytes();
        std::printf("%-28s %9d tracks  %9.1f MiB   file %.1f MiB: %.0f bytes a track in memory, %.0f in the file\n",
                    "Memory of a loaded base", tracks, (after - before) / 1048576.0, content.size() / 1048576.0,
                    (after - before) / tracks, double(content.size()) / tracks);
        std::fflush(stdout);
    }
}

// A program folder holding one base with `content`; returns the base file's path.
QString writeProgramFolder(const QString &folder, const QByteArray &content)
{
    QDir(folder).mkdir(QStringLiteral("DATA"));
    const QString path = folder + QStringLiteral("/DATA/Bench.dat");
    writeFile(path, content);
    return path;
}

// A column click: sorting the shown rows by their text, beside a plain stable sort of the same texts
// compared without case.
void benchColumnSort(ListView *lv, int tracks, int runs)
{
    uSc_ListView_Xtended_Sort columnSort;
    std::vector<double> sort, sortBase;
    for (int r = 0; r < runs; ++r) {
        sortBase.push_back(timeMs([&] {
            std::vector<QString> texts;
            texts.reserve(size_t(lv->count()));
            for (const ListItem &item : lv->items())
                texts.push_back(item.texts.value(4));
            std::stable_sort(texts.begin(), texts.end(),
                             [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        }));
        columnSort.SetUp(lv);
        sort.push_back(timeMs([&] { columnSort.Sort(true, 5, 0); }));
    }
    report("Column sort of the list", tracks, median(sort), median(sortBase), "case-folded stable_sort");
}

// The column click on the list of a whole program that started with a large base.
void benchColumnSortOfProgram(const QString &dir, int tracks, int runs)
{
    const auto previous = MsgBox::setAnswerer([](const MsgBox::Request &) { return MsgBox::Yes; });
    QTemporaryDir folder(dir + QStringLiteral("/columnXXXXXX"));
    writeProgramFolder(folder.path(), generateBase(tracks));
    Program program(folder.path());
    program.Main();
    waitForLoad(program);
    benchColumnSort(program.main->findChild<ListView *>(QStringLiteral("lv")), tracks, runs);
    program.main->features().session->setSaveOnClose(false);
    program.main->close();
    MsgBox::setAnswerer(previous);
}

void benchTrackCommands(const QString &dir, int tracks, int runs)
{
    const QByteArray content = generateBase(tracks);
    const auto previous = MsgBox::setAnswerer([](const MsgBox::Request &) { return MsgBox::Yes; });
    QTemporaryDir folder(dir + QStringLiteral("/commandsXXXXXX"));
    writeProgramFolder(folder.path(), content);
    Program program(folder.path());
    program.Main();
    waitForLoad(program);
    frmMain *w = program.main;
    auto *lv = w->findChild<ListView *>(QStringLiteral("lv"));
    benchColumnSort(lv, tracks, runs);

    // Deleting one track from the middle: the table loses a record and every later row its index.
    std::vector<double> remove, removeBase;
    for (int r = 0; r < runs; ++r) {
        removeBase.push_back(timeMs([&] {
            std::vector<TrackRecord> copy;
            copy.reserve(size_t(program.g.catalogue.arTracks().count()));
            for (int i = 1; i <= program.g.catalogue.arTracks().count(); ++i)
                copy.push_back(program.g.catalogue.arTracks().at(i));
        }));
        remove.push_back(timeMs([&] { w->features().tracks->deleteTrackOfRow(lv->count() / 2); }));
    }
    report("Delete one track (no save)", tracks, median(remove), median(removeBase), "copy of the table");

    std::vector<double> removeSaved, save;
    for (int r = 0; r < runs; ++r) {
        save.push_back(timeMs([&] { w->SaveCurentH(); }));
        lv->setSelectedRow(lv->count() / 2);
        removeSaved.push_back(timeMs([&] { w->features().tracks->mnuDelRecord_Click(); }));
    }
    report("Delete one track, saved", tracks, median(removeSaved), median(save), "SaveCurentH alone");

    // Adding one track through the editor's "Ok", with its duplicate check and the save.
    std::vector<double> add;
    frmAddEdit *editor = program.addEdit;
    for (int r = 0; r < runs; ++r) {
        program.g.editor.iAddMode = true;
        editor->AutoDisable = true;
        editor->txt[2]->setText(QStringLiteral("99999"));
        editor->txt[3]->setText(QString::number(r + 1));
        editor->txt[4]->setText(QStringLiteral("Bench"));
        add.push_back(timeMs([&] { editor->Command1_Click(); }));
    }
    report("Add one track in the editor", tracks, median(add), median(save), "SaveCurentH alone");

    w->features().session->setSaveOnClose(false);
    w->close();
    MsgBox::setAnswerer(previous);
}

// Typing into the search box of a running program: how long a keystroke holds the window, and how long
// until the rows of the newest text are shown.
void benchTyping(const QString &dir, int tracks, int runs)
{
    const QByteArray content = generateBase(tracks);
    const auto previous = MsgBox::setAnswerer([](const MsgBox::Request &) { return MsgBox::Yes; });
    QTemporaryDir folder(dir + QStringLiteral("/typingXXXXXX"));
    writeProgramFolder(folder.path(), content);
    Program program(folder.path());
    program.Main();
    waitForLoad(program);
    frmMain *w = program.main;
    auto *searchBox = w->findChild<QLineEdit *>(QStringLiteral("Text1"));

    const auto waitShown = [w] {
        while (w->features().search->isSearching())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    };
    // A long text with few matches, and a one-letter text that matches most tracks.
    for (const QString &text : {QStringLiteral("groove sound"), QStringLiteral("e")}) {
        std::vector<double> keystroke, shown, baseline;
        for (int r = 0; r < runs; ++r) {
            searchBox->clear();
            waitShown();
            QElapsedTimer timer;
            timer.start();
            searchBox->setText(text);
            keystroke.push_back(double(timer.nsecsElapsed()) / 1e6);
            waitShown();
            shown.push_back(double(timer.nsecsElapsed()) / 1e6);
            baseline.push_back(timeMs([&] {
                int found = 0;
                for (int i = 1; i <= program.g.catalogue.arTracks().count(); ++i) {
                    const TrackRecord rec = program.g.catalogue.arTracks().at(i);
                    for (int field = 0; field < 12; ++field) {
                        if (rec.at(field).contains(text, Qt::CaseInsensitive)) {
                            ++found;
                            break;
                        }
                    }
                }
                Q_UNUSED(found);
            }));
        }
        const QByteArray label = "Keystroke holds window \"" + text.toUtf8() + "\"";
        report(label.constData(), tracks, median(keystroke), median(baseline), "case-folded scan");
        const QByteArray label2 = "Keystroke to rows \"" + text.toUtf8() + "\"";
        report(label2.constData(), tracks, median(shown), median(baseline), "case-folded scan");
    }
    w->features().session->setSaveOnClose(false);
    w->close();
    MsgBox::setAnswerer(previous);
}

// Shelf order of a base in random order, beside a plain stable sort of the same records by media type,
// numeric media number and track.
void benchShelfSort(int tracks, int runs)
{
    const QByteArray content = generateBase(tracks, 77);
    TrackTable original;
    forEachLine(content, [&original](const QString &line) { original.AddTrack(TrackRecord::fromLine(line)); });
    std::vector<double> shelf, plain;
    for (int r = 0; r < runs; ++r) {
        TrackTable table = original;
        shelf.push_back(timeMs([&] { ShelfSort::sortTable(table); }));
        std::vector<TrackRecord> records;
        for (int i = 1; i <= original.count(); ++i)
            records.push_back(original.at(i));
        plain.push_back(timeMs([&] {
            std::stable_sort(records.begin(), records.end(), [](const TrackRecord &a, const TrackRecord &b) {
                const int type = a.at(0).compare(b.at(0));
                if (type != 0)
                    return type < 0;
                const double na = Numbers::leadingNumber(a.at(1));
                const double nb = Numbers::leadingNumber(b.at(1));
                if (na != nb)
                    return na < nb;
                return Numbers::leadingNumber(a.at(2)) < Numbers::leadingNumber(b.at(2));
            });
        }));
    }
    report("Shelf order (sort command)", tracks, median(shelf), median(plain), "stable_sort(type,num,track)");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Before the application: libcups takes the print server's address from the environment once.
    TestSupport::PrivateCups cups;
    QApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("Cratebook benchmark (median of several runs; baselines run in the same process)\n");
    // `cratebook-bench print` runs only the figures of that part (the parts are the names below).
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto wanted = [&only](const char *part) { return only.isEmpty() || only == QLatin1String(part); };
    if (wanted("files")) {
        benchFiles(dir.path(), 100'000, 5);
        benchFiles(dir.path(), 1'000'000, 3);
    }
    // `cratebook-bench startup [program]`: the start of another build of the program instead of this one's.
    if (wanted("startup"))
        benchStartup(dir.path(), only == QLatin1String("startup") && argc > 2 ? QString::fromLocal8Bit(argv[2])
                                                                              : QStringLiteral(CRATEBOOK_PROGRAM));
    if (wanted("tracks")) {
        benchTrackCommands(dir.path(), 100'000, 5);
        benchColumnSortOfProgram(dir.path(), 1'000'000, 3);
    }
    if (wanted("sort")) {
        benchShelfSort(10'000, 5);
        benchShelfSort(100'000, 5);
    }
    if (wanted("search")) {
        benchSearch(dir.path());
        benchTyping(dir.path(), 100'000, 5);
        benchTyping(dir.path(), 1'000'000, 3);
    }
    if (wanted("completion"))
        benchCompletion();
    if (wanted("bases"))
        benchBases(dir.path());
    if (wanted("media"))
        benchMedia(dir.path());
    // "printjob": the print job's figure alone.
    if (wanted("print") || wanted("printjob"))
        benchPrint(dir.path(), cups, wanted("print"));
    if (wanted("cddb"))
        benchCddb(3);
    if (wanted("folder"))
        benchFolder(dir.path());
    return 0;
}
