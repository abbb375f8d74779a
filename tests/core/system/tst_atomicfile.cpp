// Whole-file writes under failing file operations: every operation of a write is failed in turn, once
// and from then on (a full disk), and the file must be the old one or the complete new one, with nothing
// else left in its folder and the failure reported. Also a real full file system where one can be made.
#include "core/settings/IniFile.h"
#include "core/system/AtomicFile.h"
#include "core/system/FileCopy.h"
#include "support/FaultShim.h"
#include "support/SmallFileSystem.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <functional>
#include <unistd.h>

using TestSupport::readBytes;
using TestSupport::SmallFileSystem;
using TestSupport::writeBytes;

namespace {

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Russian text only: a reason in the system's English would mean a cause was not put in the user's words.
bool isRussian(const QString &text)
{
    for (const QChar c : text) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')))
            return false;
    }
    return !text.isEmpty();
}

} // namespace

class TestAtomicFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { AtomicFile::setNamelessFilesAllowed(true); }
    void cleanup()
    {
        FaultShim::disarm();
        AtomicFile::setNamelessFilesAllowed(true);
    }

    void everyOperationFails_data();
    void everyOperationFails();
    void replacesOnlyWhatItMay();
    void keepsPermissionsAndFollowsLinks();
    void systemErrorsInRussian();
    void fullFileSystem();
};

void TestAtomicFile::everyOperationFails_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<bool>("nameless");
    QTest::addColumn<bool>("oldExists");
    for (const char *writer : {"write", "copy", "ini"}) {
        for (const bool nameless : {true, false}) {
            for (const bool oldExists : {true, false}) {
                QTest::addRow("%s, %s temporary file, %s", writer, nameless ? "nameless" : "named",
                              oldExists ? "replacing a file" : "new file")
                    << QString::fromLatin1(writer) << nameless << oldExists;
            }
        }
    }
}

void TestAtomicFile::everyOperationFails()
{
    QFETCH(QString, writer);
    QFETCH(bool, nameless);
    QFETCH(bool, oldExists);
    AtomicFile::setNamelessFilesAllowed(nameless);

    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target.dat"));
    const QString source = dir.filePath(QStringLiteral("source.bin"));
    const QByteArray oldBytes = "old content\r\n";
    // Large enough to take more than one write of the copy's pieces.
    QByteArray newBytes(3 * 1024 * 1024 + 17, 'n');
    IniFile ini(target);
    if (writer == QLatin1String("ini")) {
        ini.parse("[Settings]\r\nKey=1\r\n");
        ini.setValue(QStringLiteral("Settings"), QStringLiteral("PanelH"), QStringLiteral(" 2700"));
        newBytes = ini.serialize();
    }

    const std::function<bool(QString *)> run = [&](QString *error) -> bool {
        if (writer == QLatin1String("write"))
            return AtomicFile::writeFile(target, newBytes, error);
        if (writer == QLatin1String("copy"))
            return FileCopy::copy(source, target, {}, error);
        return ini.save(error);
    };
    const auto reset = [&] {
        QFile::remove(target);
        if (oldExists)
            writeBytes(target, oldBytes);
        if (writer == QLatin1String("copy"))
            writeBytes(source, newBytes);
    };

    // How many operations a write takes when nothing fails.
    reset();
    FaultShim::arm(dir.path(), 0, FaultShim::Mode::Once);
    QVERIFY(run(nullptr));
    const int operations = FaultShim::operations();
    FaultShim::disarm();
    QVERIFY(operations >= 5);
    QCOMPARE(readBytes(target), newBytes);
    const QStringList entriesAfter = entries(dir.path());

    for (const FaultShim::Mode mode : {FaultShim::Mode::Once, FaultShim::Mode::FromThenOn}) {
        for (int n = 1; n <= operations; ++n) {
            reset();
            const QStringList entriesBefore = entries(dir.path());
            FaultShim::arm(dir.path(), n, mode);
            QString error;
            const bool ok = run(&error);
            FaultShim::disarm();
            // Named from this run: the operations of a run that failed differ from the clean one's.
            int renamedAt = 0;
            for (int i = 1; i <= FaultShim::operations(); ++i)
                renamedAt = FaultShim::operationName(i) == QLatin1String("rename") ? i : renamedAt;
            const QString what =
                QStringLiteral("%1 %2 of %3 (%4)")
                    .arg(mode == FaultShim::Mode::Once ? QStringLiteral("once at") : QStringLiteral("from"))
                    .arg(n)
                    .arg(operations)
                    .arg(FaultShim::operationName(n));
            QVERIFY2(FaultShim::failed(), qPrintable(what));

            const bool exists = QFileInfo::exists(target);
            const QByteArray now = exists ? readBytes(target) : QByteArray();
            if (ok) {
                // Only what follows the rename (the sync of the folder, closing the source) may fail
                // unnoticed: the file is complete by then. A failed write, sync or close before it is not.
                QVERIFY2(renamedAt > 0 && n > renamedAt, qPrintable(what + QStringLiteral(": reported as success")));
                QVERIFY2(now == newBytes, qPrintable(what));
            } else {
                QVERIFY2(oldExists ? (exists && now == oldBytes) : !exists, qPrintable(what));
                QVERIFY2(isRussian(error), qPrintable(what + QStringLiteral(": ") + error));
            }
            // Nothing left behind: the folder holds what it held before, or after a complete write.
            QVERIFY2(entries(dir.path()) == (ok ? entriesAfter : entriesBefore),
                     qPrintable(what + QStringLiteral(": ") + entries(dir.path()).join(QLatin1Char(' '))));
        }
    }
}

void TestAtomicFile::replacesOnlyWhatItMay()
{
    QTemporaryDir dir;
    QString error;

    const QString readOnly = dir.filePath(QStringLiteral("ro.dat"));
    writeBytes(readOnly, "keep");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    QVERIFY(!AtomicFile::writeFile(readOnly, "new", &error));
    QCOMPARE(error, QStringLiteral("файл доступен только для чтения"));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(readBytes(readOnly), QByteArray("keep"));

    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    QVERIFY(!AtomicFile::writeFile(dir.filePath(QStringLiteral("folder")), "new", &error));
    QCOMPARE(error, QStringLiteral("на месте файла находится папка"));

    QVERIFY(!AtomicFile::writeFile(dir.filePath(QStringLiteral("missing/x.dat")), "new", &error));
    QVERIFY(error.startsWith(QStringLiteral("папка «")));

    // A write that is given up leaves nothing behind.
    {
        AtomicFile file(dir.filePath(QStringLiteral("given-up.dat")));
        QVERIFY(file.open());
        QVERIFY(file.write("partial"));
    }
    QCOMPARE(entries(dir.path()), QStringList({QStringLiteral("folder"), QStringLiteral("ro.dat")}));
}

void TestAtomicFile::keepsPermissionsAndFollowsLinks()
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.dat"));
    writeBytes(real, "old");
    const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(real, permissions));
    const QString link = dir.filePath(QStringLiteral("link.dat"));
    QVERIFY(QFile::link(real, link));

    QVERIFY(AtomicFile::writeFile(link, "new"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readBytes(real), QByteArray("new"));
    QCOMPARE(QFile::permissions(real) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), permissions);
}

void TestAtomicFile::systemErrorsInRussian()
{
    QCOMPARE(systemErrorText(ENOSPC), QStringLiteral("на диске нет свободного места"));
    // Qt's own wording and the system's, wherever they stand in a reason.
    QCOMPARE(systemErrorText(QStringLiteral("No space left on device")),
             QStringLiteral("на диске нет свободного места"));
    QCOMPARE(systemErrorText(QStringLiteral("Cannot open /x/y: Not a directory")),
             QStringLiteral("часть пути не является папкой"));
    QCOMPARE(systemErrorText(QStringLiteral("Permission denied")),
             QStringLiteral("нет прав на запись в эту папку или этот файл"));
    // Anything else is passed on as it is rather than lost.
    QCOMPARE(systemErrorText(QStringLiteral("Something unheard of")), QStringLiteral("Something unheard of"));
    // No cause the system can name reaches the user in its English, by number or by wording.
    for (int errnum = 1; errnum < 134; ++errnum) {
        const QString wording = QString::fromLocal8Bit(std::strerror(errnum));
        QVERIFY2(isRussian(systemErrorText(errnum)), qPrintable(wording));
        QVERIFY2(isRussian(systemErrorText(QStringLiteral("Cannot remove: ") + wording)), qPrintable(wording));
    }
}

// A small file system filled to the brim: the old file must stay whole and the failure be reported. Needs
// the right to mount (root); skipped, with the reason, where there is none.
void TestAtomicFile::fullFileSystem()
{
    const SmallFileSystem dir;
    if (!dir.isMounted())
        QSKIP(qPrintable(dir.skipReason()));

    // A small base, as one of a few tracks is: small enough to sit in a write buffer until the end.
    const QString base = dir.filePath(QStringLiteral("Rock.dat"));
    const QByteArray oldBytes = QByteArray("CD\t1\t1\tArtist\tTitle\t\t\t\t\t\t\t\t\t\r\n").repeated(40);
    writeBytes(base, oldBytes);
    QVERIFY(dir.fill());

    QString error;
    QVERIFY(!AtomicFile::writeFile(base, QByteArray(oldBytes + oldBytes), &error));
    QCOMPARE(error, QStringLiteral("на диске нет свободного места"));
    QCOMPARE(readBytes(base), oldBytes);
    QCOMPARE(entries(dir.path()), QStringList({QStringLiteral("Rock.dat"), QStringLiteral("filler")}));

    IniFile ini(dir.filePath(QStringLiteral("settings.ini")));
    ini.setValue(QStringLiteral("Settings"), QStringLiteral("PanelH"), QString(8192, QLatin1Char('1')));
    QVERIFY(!ini.save(&error));
    QVERIFY(!QFileInfo::exists(ini.path()));
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
