// The program's saves under failing file operations. Each operation of a save is failed in turn, once and
// from then on (a full disk): afterwards every file of the program folder is its old or its new content
// byte for byte, nothing else is left there, and whenever a file did not get its new content the user
// was told which one.
#include "support/FaultShim.h"
#include "support/MainWindowParts.h"
#include "support/SmallFileSystem.h"
#include "support/TestProgram.h"
#include "ui/platform/ListView.h"

#include <QAction>

using namespace MainParts;
using namespace TestSupport;

namespace {

const QByteArray kTracklist = "1\tArtist 2\tTitle 2\t\tCD #2\r\n";
const QByteArray kSettings = "[Settings]\r\nShowPanel=True\r\nPanelH= 2000\r\nUnknownKey=kept\r\n";

} // namespace

class tst_savefaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { FaultShim::disarm(); }
    void everyOperationOfASave_data();
    void everyOperationOfASave();
    void startOnAFailingDisk();
    void startOnAFullDisk();
    void unreadableAtStart_data();
    void unreadableAtStart();
};

void tst_savefaults::startOnAFailingDisk()
{
    // The lock that keeps a second copy away cannot be made (not for want of room): the program says why
    // instead of ending without a word, and changes nothing.
    Folder folder;
    Answers answers;
    writeBytes(folder.data(QStringLiteral("Rock.dat")), baseLines(3));
    FaultShim::arm(folder.path(), 1, FaultShim::Mode::Once);
    {
        Program program(folder.path());
        QVERIFY(!program.Main());
    }
    FaultShim::disarm();
    const auto messages = answers.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QStringLiteral("Программа не может начать работу: не удалось создать файл «%1».\r\n"
                                              "Причина: ошибка ввода-вывода: диск неисправен или отключён.")
                                   .arg(QDir::toNativeSeparators(folder.data(QStringLiteral(".cratebook.lock")))));
    QCOMPARE(messages[0].icon, MsgBox::Critical);
    QCOMPARE(QDir(folder.data(QString())).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Rock.dat")});
    QCOMPARE(readBytes(folder.data(QStringLiteral("Rock.dat"))), baseLines(3));
}

void tst_savefaults::startOnAFullDisk()
{
    // No room for the lock file: the base opens with a warning; the data folder itself is locked, so a
    // second copy is refused even once its lock file fits, also through a link. Closing saves nothing.
    const SmallFileSystem disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    Answers answers;
    answers.answer = MsgBox::Yes;
    QTemporaryDir linked;
    writeBytes(disk.filePath(QStringLiteral("DATA/Rock.dat")), baseLines(3));
    QVERIFY(QFile::link(disk.filePath(QStringLiteral("DATA")), linked.filePath(QStringLiteral("DATA"))));
    QVERIFY(disk.fill());
    {
        Program first(disk.path());
        QVERIFY(first.Main());
        QCOMPARE(lv(first.main)->count(), 3);
        QVERIFY(QFile::remove(disk.filePath(QStringLiteral("filler"))));
        for (const QString &folder : {disk.path(), linked.path()})
            QVERIFY(!Program(folder).Main());
        QVERIFY(disk.fill());
        QVERIFY(first.main->close());
    }
    QCOMPARE(answers.texts().value(0),
             QStringLiteral("В папку программы «%1» сейчас не удаётся записать: на диске нет свободного "
                            "места.\r\nБазы открываются из неё, но сохранить изменения не удастся, "
                            "пока причина не устранена.")
                 .arg(QDir::toNativeSeparators(disk.path())));
    QVERIFY(answers.texts().value(1).startsWith(QStringLiteral("Не удалось записать файл")));
    QCOMPARE(readBytes(disk.filePath(QStringLiteral("DATA/Rock.dat"))), baseLines(3));
    // Nothing left behind (an empty Tracklist takes no room: it was written).
    QCOMPARE(snapshot(disk.path()).keys().join(u' '), QStringLiteral("DATA/Rock.dat DATA/otbor.lst filler"));
}

void tst_savefaults::unreadableAtStart_data()
{
    QTest::addColumn<QString>("file");       // in the program folder
    QTest::addColumn<QByteArray>("content"); // empty: a folder in its place
    QTest::addColumn<QString>("reason");     // told at start; empty: read (its first open does not fail)
    const QString io = QStringLiteral("Ошибка ввода-вывода: диск неисправен или отключён.");
    QTest::newRow("settings.ini cannot be read") << QStringLiteral("settings.ini") << kSettings << io;
    QTest::newRow("settings.ini is a folder")
        << QStringLiteral("settings.ini") << QByteArray() << QStringLiteral("На месте файла находится папка.");
    QTest::newRow("settings.ini is damaged")
        << QStringLiteral("settings.ini") << QByteArray("\0\xff[Settings\r\nShowPanel\r\n==\r\n", 24) << QString();
    QTest::newRow("otbor.lst cannot be read") << QStringLiteral("DATA/otbor.lst") << kTracklist << io;
}

void tst_savefaults::unreadableAtStart()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    Session session;
    session.answers.answer = MsgBox::Yes;
    const QString path = session.folder.file(file);
    writeBytes(content.isEmpty() ? path + QStringLiteral("/inside") : path, content);
    if (!reason.isEmpty() && !content.isEmpty())
        FaultShim::arm(path, 1, FaultShim::Mode::Once);
    QVERIFY(session.start(QStringLiteral("Rock.dat"), baseLines(3)));
    FaultShim::disarm();
    const QString told =
        QStringLiteral("Не удалось прочитать файл %1 «%2».\r\n%3\r\nФайл не будет перезаписан, пока "
                       "его не удастся прочитать.")
            .arg(file.endsWith(QStringLiteral(".ini")) ? QStringLiteral("настроек") : QStringLiteral("Tracklist"),
                 QDir::toNativeSeparators(path), reason);
    QCOMPARE(session.answers.texts(), reason.isEmpty() ? QStringList() : QStringList{told});

    QVERIFY(session.program->main->close());
    // Told at start, the file is left as it was at exit; a damaged one is written back, all it held kept.
    const QByteArray now = readBytes(content.isEmpty() ? path + QStringLiteral("/inside") : path);
    QVERIFY(reason.isEmpty() ? now.startsWith(content) && now.contains("SelectedBase= 0\r\n") : now == content);
}

void tst_savefaults::everyOperationOfASave_data()
{
    QTest::addColumn<QString>("action");
    // Deleting a track writes the base and the Tracklist; closing writes them and the settings.
    QTest::newRow("delete a track") << QStringLiteral("delete");
    QTest::newRow("close the program") << QStringLiteral("close");
}

void tst_savefaults::everyOperationOfASave()
{
    QFETCH(QString, action);

    // One run of the action on a fresh program folder; `failAt` 0 fails nothing. Returns the files
    // afterwards, the messages shown, and (through `operations`) how many operations the save took.
    struct Outcome
    {
        QMap<QString, QByteArray> before, after;
        QStringList messages;
        bool failed = false;
        bool closed = false;
    };
    int operations = 0;
    const auto run = [&](int failAt, FaultShim::Mode mode) {
        Outcome outcome;
        Session session;
        session.answers.answer = MsgBox::Yes; // delete: yes; let the unsaved changes go: yes
        writeBytes(session.folder.data(QStringLiteral("otbor.lst")), kTracklist);
        if (!session.start(QStringLiteral("Rock.dat"), baseLines(5), kSettings))
            return outcome;
        frmMain *w = session.program->main;
        // A change only in memory, so the close has something new to write.
        lv(w)->setSelectedRow(0);
        w->features().tracklist->addToTracklist();
        outcome.before = snapshot(session.folder.path());

        FaultShim::arm(session.folder.path(), failAt, mode);
        if (action == QLatin1String("delete")) {
            lv(w)->setSelectedRow(2);
            w->features().tracks->mnuDelRecord_Click();
        } else {
            outcome.closed = w->close();
        }
        operations = FaultShim::operations();
        outcome.failed = FaultShim::failed();
        FaultShim::disarm();

        outcome.after = snapshot(session.folder.path());
        for (const auto &request : session.answers.messages())
            outcome.messages.append(request.text);
        if (!outcome.closed) {
            // Closing now writes without faults; the user is not asked anything more.
            session.answers.answer = MsgBox::Yes;
            session.finish();
        }
        return outcome;
    };

    const Outcome clean = run(0, FaultShim::Mode::Once);
    QVERIFY(operations >= 10);
    const int total = operations;
    QVERIFY(clean.messages.size() == (action == QLatin1String("delete") ? 1 : 0)); // the delete question
    QVERIFY(clean.after != clean.before);

    for (const FaultShim::Mode mode : {FaultShim::Mode::Once, FaultShim::Mode::FromThenOn}) {
        for (int n = 1; n <= total; ++n) {
            const Outcome o = run(n, mode);
            // Named after the run: a run that failed takes other operations than the clean one.
            const QString failedOperation = FaultShim::operationName(n);
            const QString what =
                QStringLiteral("%1 %2 of %3 (%4)")
                    .arg(mode == FaultShim::Mode::Once ? QStringLiteral("once at") : QStringLiteral("from"))
                    .arg(n)
                    .arg(total)
                    .arg(failedOperation);
            QVERIFY2(o.failed, qPrintable(what));
            QCOMPARE(o.before, clean.before);

            // Each file is as it was or as a clean save leaves it, and no other file appeared.
            QStringList notWritten;
            QSet<QString> names;
            for (auto it = o.after.cbegin(); it != o.after.cend(); ++it)
                names.insert(it.key());
            for (auto it = clean.after.cbegin(); it != clean.after.cend(); ++it)
                names.insert(it.key());
            for (const QString &name : std::as_const(names)) {
                const bool isOld =
                    o.after.value(name) == o.before.value(name) && o.after.contains(name) == o.before.contains(name);
                const bool isNew = o.after.value(name) == clean.after.value(name) &&
                                   o.after.contains(name) == clean.after.contains(name);
                QVERIFY2(isOld || isNew, qPrintable(what + QStringLiteral(": ") + name));
                if (!isNew)
                    notWritten.append(name);
            }

            // A file whose content could not be synced to the disk was not saved, whatever else worked.
            if (failedOperation == QLatin1String("fdatasync"))
                QVERIFY2(o.messages.join(u'|').contains(QStringLiteral("Не удалось записать файл")), qPrintable(what));
            // Every file left unwritten was named to the user.
            for (const QString &name : std::as_const(notWritten)) {
                const QString file = QFileInfo(name).fileName();
                bool told = false;
                for (const QString &message : o.messages)
                    told = told ||
                           (message.startsWith(QStringLiteral("Не удалось записать файл")) && message.contains(file));
                QVERIFY2(told, qPrintable(what + QStringLiteral(": not told about ") + name +
                                          QStringLiteral("; told: ") + o.messages.join(QStringLiteral(" | "))));
            }
            // Closing after a failed save of the base asks first, and names the file.
            if (action == QLatin1String("close") && (notWritten.contains(QStringLiteral("DATA/Rock.dat")) ||
                                                     notWritten.contains(QStringLiteral("DATA/otbor.lst")))) {
                bool asked = false;
                for (const QString &message : o.messages)
                    asked =
                        asked || (message.startsWith(QStringLiteral("Изменения не сохранены: не удалось записать")) &&
                                  message.endsWith(QStringLiteral("Всё равно закрыть программу?")));
                QVERIFY2(asked, qPrintable(what));
            }
        }
    }
}

QTEST_MAIN(tst_savefaults)
#include "tst_savefaults.moc"
