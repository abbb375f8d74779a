#include "core/system/SingleInstance.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

namespace {
// Set in the environment of the copy of this test that plays the other program: the lock file to hold.
constexpr char kHolderVariable[] = "CRATEBOOK_TEST_LOCK_HOLDER";
constexpr char kLockedMarker[] = "LOCK-HELD";
} // namespace

class tst_singleinstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondInstanceIsRefused();
    void lockOfCrashedCopyIsTakenOver();
    void leftoverLockFile_data();
    void leftoverLockFile();
    void holdLockUntilKilled();
};

void tst_singleinstance::secondInstanceIsRefused()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("base.lock"));
    SingleInstance second(path);
    {
        SingleInstance first(path);
        QVERIFY(first.tryLock());
        QVERIFY(first.tryLock()); // already held: still true
        QVERIFY(!second.tryLock());
        QVERIFY(!second.isLocked());
        first.unlock();
        QVERIFY(!first.isLocked());
        QVERIFY(second.tryLock());
        second.unlock();
        QVERIFY(first.tryLock());
    } // released when destroyed
    QVERIFY(second.tryLock());
    QVERIFY(second.isLocked());
}

void tst_singleinstance::lockOfCrashedCopyIsTakenOver()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("base.lock"));

    QProcess other;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kHolderVariable), path);
    other.setProcessEnvironment(environment);
    other.start(QCoreApplication::applicationFilePath(), {QStringLiteral("holdLockUntilKilled")});
    QVERIFY(other.waitForStarted());
    QByteArray output;
    while (!output.contains(kLockedMarker) && other.waitForReadyRead(30000))
        output += other.readAllStandardOutput();
    QVERIFY2(output.contains(kLockedMarker), output.constData());

    SingleInstance instance(path);
    QVERIFY(!instance.tryLock());

    other.kill(); // a crash: the lock file stays behind with the PID of a process that is gone
    QVERIFY(other.waitForFinished());
    QVERIFY(QFile::exists(path));
    QVERIFY(instance.tryLock());
}

void tst_singleinstance::leftoverLockFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("ageSecs");
    QTest::addColumn<bool>("takenOver");

    // As a copy of this very program writes it: alive (it is this process), so never stale, however old.
    const QByteArray running = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                               QFile::encodeName(QCoreApplication::applicationFilePath()) + "\n\n";
    QTest::newRow("running copy, old") << running << 3600 << false;
    // Empty: the owner died before writing its PID, or a copy is starting this very moment.
    QTest::newRow("unreadable, new") << QByteArray() << 0 << false;
    QTest::newRow("unreadable, old") << QByteArray() << 60 << true;
}

void tst_singleinstance::leftoverLockFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, ageSecs);
    QFETCH(bool, takenOver);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("base.lock"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    QVERIFY(file.flush());
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecs), QFileDevice::FileModificationTime));
    file.close();

    SingleInstance instance(path);
    QCOMPARE(instance.tryLock(), takenOver);
}

// Not a test of its own: the other program in lockOfCrashedCopyIsTakenOver, started as a copy of this test.
void tst_singleinstance::holdLockUntilKilled()
{
    const QString path = qEnvironmentVariable(kHolderVariable);
    if (path.isEmpty())
        QSKIP("Runs only as the helper process of lockOfCrashedCopyIsTakenOver");
    SingleInstance instance(path);
    QVERIFY(instance.tryLock());
    std::fputs(kLockedMarker, stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
    // Held until killed; should the test die first, its end of the pipe closes and this returns.
    while (std::getchar() != EOF) {
    }
}

QTEST_GUILESS_MAIN(tst_singleinstance)
#include "tst_singleinstance.moc"
