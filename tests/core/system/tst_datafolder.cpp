// Where the program keeps its data: its own folder while it can write there, else the per-user folder,
// with the program folder's bases and settings copied over on the first start there.
#include "core/system/DataFolder.h"
#include "support/FaultShim.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using TestSupport::readBytes;
using TestSupport::snapshot;
using TestSupport::writeBytes;

namespace {

constexpr uid_t kNobody = 65534;
const char *const kChildRoot = "CRATEBOOK_TEST_READONLY_ROOT";

// A program folder with two bases, a safety copy, the Tracklist and settings.
void makeProgramFolder(const QString &folder)
{
    writeBytes(folder + QStringLiteral("/DATA/Rock.dat"), "CD\t1\t1\tArtist\tTitle\r\n");
    writeBytes(folder + QStringLiteral("/DATA/Rock.dat$"), "CD\t1\t1\tOld\tTitle\r\n");
    writeBytes(folder + QStringLiteral("/DATA/\xd0\x94\xd0\xb6\xd0\xb0\xd0\xb7.dat"), "LP\t2\tA1\tX\tY\r\n");
    writeBytes(folder + QStringLiteral("/DATA/otbor.lst"), "1\tArtist\tTitle\t\tCD #1\r\n");
    writeBytes(folder + QStringLiteral("/settings.ini"), "[Settings]\r\nSelectedBase= 1\r\n");
}

} // namespace

class tst_datafolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { FaultShim::disarm(); }
    void writableProgramFolderIsKept();
    void failingDiskIsNoReasonToMove();
    void readOnlyProgramFolder();
    void installedCopyUsesUserFolder();

private:
    void readOnlyChecks(const QString &root);
};

void tst_datafolder::writableProgramFolderIsKept()
{
    QTemporaryDir dir;
    makeProgramFolder(dir.filePath(QStringLiteral("prog")));
    const auto choice =
        DataFolder::choose(dir.filePath(QStringLiteral("prog")), dir.filePath(QStringLiteral("user")), false);
    QCOMPARE(choice.folder, dir.filePath(QStringLiteral("prog")));
    QVERIFY(!choice.userFolder && !choice.copied && choice.error.isEmpty() && choice.writeProblem.isEmpty());
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("user"))));
    // The probe leaves nothing behind.
    QCOMPARE(QDir(dir.filePath(QStringLiteral("prog"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("settings.ini")});
}

void tst_datafolder::failingDiskIsNoReasonToMove()
{
    // A full disk, or one failing now and then, is not a read-only folder: the data stay where they are,
    // and what cannot be written is reported when it is written.
    QTemporaryDir dir;
    const QString prog = dir.filePath(QStringLiteral("prog"));
    makeProgramFolder(prog);
    for (const FaultShim::Mode mode : {FaultShim::Mode::Once, FaultShim::Mode::FromThenOn}) {
        for (int n = 1; n <= 4; ++n) {
            FaultShim::arm(prog, n, mode);
            const DataFolder::Probe probe = DataFolder::probe(prog);
            FaultShim::arm(prog, n, mode);
            const auto choice = DataFolder::choose(prog, dir.filePath(QStringLiteral("user")), false);
            FaultShim::disarm();
            QCOMPARE(probe.access, DataFolder::Access::Failed);
            QVERIFY(probe.reason == QStringLiteral("на диске нет свободного места") ||
                    probe.reason == QStringLiteral("ошибка ввода-вывода: диск неисправен или отключён"));
            QCOMPARE(choice.folder, prog);
            QCOMPARE(choice.writeProblem, probe.reason);
        }
    }
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("user"))));
}

// As a user who really cannot write the program folder: root can write anywhere, so as root the checks
// run in a child process under the "nobody" account.
void tst_datafolder::readOnlyProgramFolder()
{
    if (qEnvironmentVariableIsSet(kChildRoot)) {
        readOnlyChecks(qEnvironmentVariable(kChildRoot));
        return;
    }
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(),
                                  QFile::permissions(dir.path()) | QFileDevice::ExeOther | QFileDevice::ReadOther));
    const QString prog = dir.filePath(QStringLiteral("prog"));
    makeProgramFolder(prog);
    QDir().mkpath(dir.filePath(QStringLiteral("home")));
    QDir().mkpath(dir.filePath(QStringLiteral("locked")));
    const QMap<QString, QByteArray> original = snapshot(prog);

    if (::geteuid() == 0) {
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("setpriv is needed to run as a user who is not root");
        // Only the home folder is the user's; the program folder and "locked" are root's, read-only to others.
        QVERIFY(::chown(QFile::encodeName(dir.filePath(QStringLiteral("home"))).constData(), kNobody, kNobody) == 0);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildRoot), dir.path());
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QStringLiteral("setpriv"),
                    {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                     QStringLiteral("--"), QCoreApplication::applicationFilePath(),
                     QStringLiteral("readOnlyProgramFolder")});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : tst_datafolder::readOnlyProgramFolder()"), output.constData());
    } else {
        const QStringList readOnly{prog, prog + QStringLiteral("/DATA"), dir.filePath(QStringLiteral("locked"))};
        for (const QString &folder : readOnly)
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        readOnlyChecks(dir.path());
        for (const QString &folder : readOnly)
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    // The originals are never moved or changed.
    QCOMPARE(snapshot(prog), original);
}

void tst_datafolder::readOnlyChecks(const QString &root)
{
    const QString prog = root + QStringLiteral("/prog");
    QCOMPARE(DataFolder::probe(prog).access, DataFolder::Access::NotPermitted);

    // The per-user folder cannot be made: nothing is copied, nothing is left, and the program must not start.
    const QString lockedUser = root + QStringLiteral("/locked/share/Cratebook");
    auto choice = DataFolder::choose(prog, lockedUser, false);
    QVERIFY(!choice.error.isEmpty());
    QVERIFY(!QFileInfo::exists(root + QStringLiteral("/locked/share")));

    // The first start in the per-user folder brings the bases, the safety copies, the Tracklist and the settings.
    const QString user = root + QStringLiteral("/home/.local/share/Cratebook");
    choice = DataFolder::choose(prog, user, false);
    QVERIFY2(choice.error.isEmpty(), qPrintable(choice.error));
    QCOMPARE(choice.folder, user);
    QVERIFY(choice.userFolder && choice.copied);
    QCOMPARE(snapshot(user), snapshot(prog));

    // Later starts use what is there now, and say nothing.
    writeBytes(user + QStringLiteral("/DATA/Rock.dat"), "CD\t1\t1\tChanged\tTitle\r\n");
    choice = DataFolder::choose(prog, user, false);
    QCOMPARE(choice.folder, user);
    QVERIFY(!choice.copied && choice.error.isEmpty());
    QCOMPARE(readBytes(user + QStringLiteral("/DATA/Rock.dat")), QByteArray("CD\t1\t1\tChanged\tTitle\r\n"));
}

void tst_datafolder::installedCopyUsesUserFolder()
{
    QTemporaryDir dir;
    const QString prog = dir.filePath(QStringLiteral("bin"));
    QDir().mkpath(prog);
    const QString user = dir.filePath(QStringLiteral("user"));
    const auto choice = DataFolder::choose(prog, user, true);
    QCOMPARE(choice.folder, user);
    QVERIFY(choice.userFolder && !choice.copied && choice.error.isEmpty());
    // Nothing of the program's is written beside an installed program.
    QCOMPARE(QDir(prog).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

QTEST_GUILESS_MAIN(tst_datafolder)
#include "tst_datafolder.moc"
