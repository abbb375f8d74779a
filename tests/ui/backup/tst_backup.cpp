// The backup and restore dialogs, driven through their menu items on a program in a temporary folder,
// with a folder of that program as the medium.
#include "core/backup/BackupLayout.h"
#include "support/FaultShim.h"
#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>

using namespace MainParts;
using namespace TestSupport;

namespace {

const QString kSaveFailure = QStringLiteral("Не удается скопировать файл %1.\r\n\r\n"
                                            "Возможно диск не отформатирован или поврежден и нуждается в замене!");
const QString kSaveQuestion = QStringLiteral("Хотите ли вы прервать процесс создания резервной копии, повторить или "
                                             "пропустить копирование текущего файла?");
const QString kLoadFailure =
    QStringLiteral("Не удается скопировать файл %1.\r\n\r\nВозможно диск поврежден и нуждается в замене!");

// Copy failures are skipped: Ignore for Abort/Retry/Ignore, Ok for the rest.
MsgBox::Result ignoreFailures(const MsgBox::Request &request)
{
    return request.buttons == MsgBox::AbortRetryIgnore ? MsgBox::Ignore : MsgBox::Ok;
}

template <typename T> T *part(QDialog *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

void click(QDialog *dialog, const char *name)
{
    part<QPushButton>(dialog, name)->click();
}

QStringList entries(QDialog *dialog)
{
    QStringList list;
    const auto *list1 = part<QListWidget>(dialog, "List1");
    for (int i = 0; i < list1->count(); ++i)
        list.append(list1->item(i)->text());
    return list;
}

// The desktop's Trash of a session, inside its folder, so nothing reaches the user's own.
QString trashOf(const Session &session)
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(session.folder.file(QStringLiteral("share"))));
    return session.folder.file(QStringLiteral("share/Trash"));
}

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy/MM-dd")) + QStringLiteral(".dat");
}

} // namespace

class tst_backup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { FaultShim::disarm(); }
    void backupCopiesTheBaseOnceUnderBothNames();
    void failedBackupCopyOffersAbortRetryIgnore();
    void restoreListsMarksAndReloadsAtClose();
    void closingAfterAFailedSaveAsksFirst();
    void everyOperationOfACopy_data();
    void everyOperationOfACopy();
};

void tst_backup::backupCopiesTheBaseOnceUnderBothNames()
{
    Session session;
    QVERIFY(session.start(QStringLiteral("Rock.dat"), baseLines(5)));
    Answers &script = session.answers;
    script.asked.clear();
    script.respond = ignoreFailures;
    frmMain *w = session.program->main;
    const QString medium = session.folder.file(QStringLiteral("medium"));
    const QDate first(2026, 12, 1);
    const QString zed = session.folder.data(QStringLiteral("Zed.dat"));
    QVERIFY(writeBytes(zed, baseLines(3)));

    session.driver.then([&](QDialog *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Создание резервной копии журнала"));
        const auto interval = BackupLayout::defaultInterval(QDate::currentDate());
        QCOMPARE(part<QDateEdit>(d, "DateFrom")->date(), interval.from);
        QCOMPARE(part<QDateEdit>(d, "DateTo")->date(), interval.to);
        QCOMPARE(part<QLineEdit>(d, "Text1")->text(),
                 BackupLayout::defaultLocation(BackupLayout::mountedVolumes(), QDir::homePath()));
        // No location: not the root folder, a question for one.
        part<QLineEdit>(d, "Text1")->setText(QStringLiteral("  "));
        click(d, "Command1");
        QVERIFY(d->isVisible());
        // Start after end: nothing is copied, the user is told so, the dialog stays for the dates.
        part<QDateEdit>(d, "DateFrom")->setDate(first.addDays(1));
        part<QDateEdit>(d, "DateTo")->setDate(first);
        part<QLineEdit>(d, "Text1")->setText(medium);
        click(d, "Command1");
        QVERIFY(d->isVisible());
        QVERIFY(!QFileInfo::exists(medium));
        // Ten days, as the default interval on the 10th: one copy under each name. A link on the medium
        // is replaced, never written through into the base it points to.
        QVERIFY(QDir().mkpath(medium) && QFile::link(zed, medium + QStringLiteral("/Rock.dat")));
        part<QDateEdit>(d, "DateTo")->setDate(first.addDays(9));
        part<QDateEdit>(d, "DateFrom")->setDate(first);
        click(d, "Command1");
        QVERIFY(!d->isVisible());
    });
    action(w, "mnuBackupSave")->trigger();
    QCOMPARE(script.texts(), (QStringList{QStringLiteral("Укажите путь для сохранения резервной копии."),
                                          QStringLiteral("Начало интервала позже его конца.\r\n"
                                                         "Резервная копия не создана."),
                                          QStringLiteral("Резервная копия создана!")}));
    QCOMPARE(script.asked[2].title, QString());
    QCOMPARE(script.asked[2].icon, MsgBox::Information);
    const QMap<QString, QByteArray> expected{{QStringLiteral("Rock.dat"), baseLines(5)}, {today(), baseLines(5)}};
    QCOMPARE(snapshot(medium), expected);
    QVERIFY(!QFileInfo(medium + QStringLiteral("/Rock.dat")).isSymLink());
    QCOMPARE(readBytes(zed), baseLines(3));

    // The dialog keeps what the user left in it, the location with its separator added.
    session.driver.then([&](QDialog *d) {
        QCOMPARE(part<QLineEdit>(d, "Text1")->text(), medium + QLatin1Char('/'));
        QCOMPARE(part<QDateEdit>(d, "DateTo")->date(), first.addDays(9));
        click(d, "Command2");
    });
    action(w, "mnuBackupSave")->trigger();
    QCOMPARE(session.finish(), 0);
}

void tst_backup::failedBackupCopyOffersAbortRetryIgnore()
{
    Session session;
    QVERIFY(session.start(QStringLiteral("Rock.dat"), baseLines(5)));
    Answers &script = session.answers;
    script.asked.clear();
    script.respond = ignoreFailures;
    frmMain *w = session.program->main;
    // No medium: a file stands where its folder would be made.
    const QString drive = session.folder.file(QStringLiteral("drive"));
    const QString medium = drive + QStringLiteral("/medium");
    QVERIFY(writeBytes(drive, "not a folder"));
    const QString source = session.folder.data(QStringLiteral("Rock.dat"));

    // Abort: the dialog stays open, and no final message.
    script.respond = [](const MsgBox::Request &r) {
        return r.buttons == MsgBox::AbortRetryIgnore ? MsgBox::Abort : MsgBox::Ok;
    };
    session.driver.then([&](QDialog *d) {
        part<QLineEdit>(d, "Text1")->setText(medium);
        click(d, "Command1");
        QVERIFY(d->isVisible());
        click(d, "Command2");
    });
    action(w, "mnuBackupSave")->trigger();
    QCOMPARE(script.asked.size(), 2);
    QCOMPARE(script.asked[0].text, kSaveFailure.arg(source));
    QCOMPARE(script.asked[0].title, QStringLiteral("Ошибка при копировании"));
    QCOMPARE(script.asked[0].icon, MsgBox::Critical);
    QCOMPARE(script.asked[1].text, kSaveQuestion);
    QCOMPARE(script.asked[1].buttons, MsgBox::AbortRetryIgnore);
    QCOMPARE(script.asked[1].icon, MsgBox::Question);
    QCOMPARE(script.asked[1].title, MsgBox::programTitle());

    // Ignore each copy: nothing was made, and that is what the user hears.
    script.asked.clear();
    script.respond = ignoreFailures;
    session.driver.then([&](QDialog *d) {
        click(d, "Command1");
        QVERIFY(d->isVisible());
        click(d, "Command2");
    });
    action(w, "mnuBackupSave")->trigger();
    QCOMPARE(script.texts(), (QStringList{kSaveFailure.arg(source), kSaveQuestion, kSaveFailure.arg(source),
                                          kSaveQuestion, QStringLiteral("Резервная копия не создана!")}));

    // Retry once the medium is in: the copy goes on from there.
    script.asked.clear();
    script.respond = [&](const MsgBox::Request &r) {
        if (r.buttons != MsgBox::AbortRetryIgnore)
            return MsgBox::Ok;
        QFile::remove(drive);
        QDir().mkpath(drive);
        return MsgBox::Retry;
    };
    session.driver.then([&](QDialog *d) { click(d, "Command1"); });
    action(w, "mnuBackupSave")->trigger();
    QCOMPARE(script.texts(),
             (QStringList{kSaveFailure.arg(source), kSaveQuestion, QStringLiteral("Резервная копия создана!")}));
    QCOMPARE(snapshot(medium).keys(), (QStringList{today(), QStringLiteral("Rock.dat")}));
    QCOMPARE(session.finish(), 0);
}

void tst_backup::restoreListsMarksAndReloadsAtClose()
{
    Session session;
    writeBytes(session.folder.data(QStringLiteral("otbor.lst")), "1\tArtist 1\tTitle 1\t\tCD #1\r\n");
    QVERIFY(session.start(QStringLiteral("Rock.dat"), baseLines(5)));
    Answers &script = session.answers;
    script.asked.clear();
    script.respond = ignoreFailures;
    frmMain *w = session.program->main;
    const QString base = session.folder.data(QStringLiteral("Rock.dat"));
    const QString m = session.folder.file(QStringLiteral("medium"));
    QVERIFY(writeBytes(m + QStringLiteral("/2005/03-17.dat"), baseLines(2)));
    QVERIFY(writeBytes(m + QStringLiteral("/2005/12-01.dat"), baseLines(3)));
    QVERIFY(writeBytes(m + QStringLiteral("/2005/1-2.dat"), baseLines(4)));
    QVERIFY(writeBytes(m + QStringLiteral("/1-/d-.dat"), baseLines(6))); // where the entry of 1-2.dat points
    QVERIFY(writeBytes(m + QStringLiteral("/2005/0317.dat"), "x"));
    QVERIFY(writeBytes(m + QStringLiteral("/2005/notes.txt"), "x"));
    const QString other = session.folder.file(QStringLiteral("other"));
    QVERIFY(writeBytes(other + QStringLiteral("/2005/12-01.dat"), baseLines(7)));
    // Damaged: asked about, and No skips it.
    const QString damaged = other + QStringLiteral("/2005/03-17.dat");
    QVERIFY(writeBytes(damaged, QByteArray("CD\t1\0junk\r\n", 10)));
    const QString trash = trashOf(session);
    // A row picked since the last save.
    lv(w)->setSelectedRow(4);
    w->features().tracklist->addToTracklist();
    QCOMPARE(lv2(w)->count(), 2);

    const QString odd = m + QStringLiteral("/1-/d-.dat");
    session.driver.then([&](QDialog *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Восстановление журнала"));
        QVERIFY(!part<QGroupBox>(d, "Frame1")->isEnabled());
        // A location without backups.
        part<QLineEdit>(d, "Text1")->setText(session.folder.data(QString()));
        click(d, "Command3");
        QVERIFY(!part<QGroupBox>(d, "Frame1")->isEnabled());

        part<QLineEdit>(d, "Text1")->setText(m);
        click(d, "Command3");
        QCOMPARE(part<QLineEdit>(d, "Text1")->text(), m + QLatin1Char('/'));
        QVERIFY(part<QGroupBox>(d, "Frame1")->isEnabled());
        const QStringList once{QStringLiteral("17.03.2005"), QStringLiteral(".d.1-.2005"),
                               QStringLiteral("01.12.2005")};
        QCOMPARE(entries(d), once);
        click(d, "Command3");
        QCOMPARE(entries(d), once + once);

        // Only the entry that is no date: it fails through the error boxes and reads nothing.
        part<QListWidget>(d, "List1")->item(1)->setCheckState(Qt::Checked);
        click(d, "Command4");
        QCOMPARE(readBytes(base), baseLines(5));

        // Everything, from the location as it reads now: the last dated backup in the list remains.
        click(d, "Command2");
        part<QLineEdit>(d, "Text1")->setText(other);
        click(d, "Command4");
        QCOMPARE(readBytes(base), baseLines(7));
        QCOMPARE(readBytes(odd), baseLines(6));
        // Shown only at "Закрыть".
        QCOMPARE(lv(w)->count(), 5);
        click(d, "Command1");
    });
    action(w, "mnuBackupLoad")->trigger();

    const QString failure = kLoadFailure.arg(odd);
    const QString question = QStringLiteral(
        "Хотите ли вы прервать процесс восстановления, повторить или пропустить копирование текущего файла?");
    const QString otherOdd = kLoadFailure.arg(other + QStringLiteral("/1-/d-.dat"));
    const QString doubt = QStringLiteral("Файл «%1» не похож на базу: в строке 1 есть управляющий символ с кодом 0.\r\n"
                                         "Вы действительно хотите восстановить из него базу?")
                              .arg(damaged);
    QCOMPARE(script.texts(),
             (QStringList{QStringLiteral("Дискета не содержит резервных копий журнала"), failure, question,
                          QStringLiteral("Ни одна резервная копия не восстановлена.\r\nБаза не изменена."), doubt,
                          otherOdd, question, doubt, otherOdd, question, QStringLiteral("Восстановление завершено!")}));
    QCOMPARE(script.asked[0].icon, MsgBox::Information);
    QCOMPARE(script.asked[0].title, QString());
    QCOMPARE(script.asked[4].buttons, MsgBox::YesNo);
    QCOMPARE(script.asked[4].icon, MsgBox::Question);
    QCOMPARE(script.asked[4].defaultButton, MsgBox::SecondButton);
    QCOMPARE(script.asked[4].title, QString());
    // The base as it was before the restore is in the Trash, once, recorded as coming from its place.
    QCOMPARE(snapshot(trash + QStringLiteral("/files")),
             (QMap<QString, QByteArray>{{QStringLiteral("Rock.dat"), baseLines(5)}}));
    QVERIFY(
        readBytes(trash + QStringLiteral("/info/Rock.dat.trashinfo"))
            .startsWith(QByteArray("[Trash Info]\nPath=" + QUrl::toPercentEncoding(base, "/") + "\nDeletionDate=")));
    QCOMPARE(lv(w)->count(), 7);
    QCOMPARE(lv2(w)->count(), 2);
    QCOMPARE(readBytes(session.folder.data(QStringLiteral("otbor.lst"))).count('\n'), 2);

    // The next opening starts afresh.
    session.driver.then([&](QDialog *d) {
        QCOMPARE(entries(d), QStringList());
        QVERIFY(!part<QGroupBox>(d, "Frame1")->isEnabled());
        d->reject();
    });
    action(w, "mnuBackupLoad")->trigger();
    QCOMPARE(session.finish(), 0);
}

void tst_backup::closingAfterAFailedSaveAsksFirst()
{
    Session session;
    QVERIFY(session.start(QStringLiteral("Rock.dat"), baseLines(5)));
    Answers &script = session.answers;
    script.asked.clear();
    script.respond = ignoreFailures;
    frmMain *w = session.program->main;
    script.respond = [](const MsgBox::Request &r) { return r.buttons == MsgBox::YesNo ? MsgBox::Yes : MsgBox::Ok; };
    // A deleted track that never reached the file.
    lv(w)->setSelectedRow(0);
    FaultShim::arm(session.folder.data(QString()), 1, FaultShim::Mode::FromThenOn);
    w->features().tracks->mnuDelRecord_Click();
    FaultShim::disarm();
    QCOMPARE(lv(w)->count(), 4);
    QCOMPARE(readBytes(session.folder.data(QStringLiteral("Rock.dat"))), baseLines(5));

    // No: the base stays as shown. Esc closes the dialog as "Закрыть" does.
    script.asked.clear();
    script.respond = [](const MsgBox::Request &) { return MsgBox::No; };
    session.driver.then([](QDialog *d) { d->reject(); });
    action(w, "mnuBackupLoad")->trigger();
    QCOMPARE(script.asked.size(), 1);
    QVERIFY(script.asked[0].text.startsWith(QStringLiteral("Последние изменения базы не удалось сохранить")));
    QCOMPARE(script.asked[0].buttons, MsgBox::YesNo);
    QCOMPARE(lv(w)->count(), 4);

    // Yes: the base is read from its file.
    script.respond = [](const MsgBox::Request &) { return MsgBox::Yes; };
    session.driver.then([](QDialog *d) { click(d, "Command1"); });
    action(w, "mnuBackupLoad")->trigger();
    QCOMPARE(lv(w)->count(), 5);
    QCOMPARE(session.finish(), 0);
}

void tst_backup::everyOperationOfACopy_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("backup") << QStringLiteral("mnuBackupSave");
    QTest::newRow("restore") << QStringLiteral("mnuBackupLoad");
    QTest::newRow("restore from the safety copy") << QStringLiteral("mnuRestoreBackup");
}

void tst_backup::everyOperationOfACopy()
{
    // Each file operation of a backup (two copies to the medium) or a restore from the medium or the
    // safety copy (the check of the backup, the copy of the base into the Trash, one copy over the base)
    // is failed in turn, once and from then on, and the copy left alone: every file is old or new byte for
    // byte, nothing else appears, a file left old was reported, and so was every failed data sync.
    QFETCH(QString, command);
    const bool restore = command == QLatin1String("mnuBackupLoad");
    const bool safetyCopy = command == QLatin1String("mnuRestoreBackup");
    struct Outcome
    {
        QMap<QString, QByteArray> before, after;
        QStringList messages;
        QString failedOperation; // named while the shim is armed, so never the previous run's
        bool failed = false;
        bool told = false; // an error box was shown
    };
    int operations = 0;
    // The Trash's information files hold the session's folder and the time: only where they point counts.
    const auto files = [](const Session &session) {
        QMap<QString, QByteArray> files = snapshot(session.folder.path());
        for (auto it = files.begin(); it != files.end(); ++it) {
            if (it.key().endsWith(QStringLiteral(".trashinfo")))
                it.value() = it.value().split('\n').value(1).split('/').last();
        }
        return files;
    };
    const auto run = [&](int failAt, FaultShim::Mode mode) {
        Outcome outcome;
        Session session;
        trashOf(session);
        const QString m = session.folder.file(QStringLiteral("medium"));
        if (restore || safetyCopy) {
            writeBytes(restore ? m + QStringLiteral("/2005/03-17.dat")
                               : session.folder.data(QStringLiteral("Rock.dat$")),
                       baseLines(2));
        } else {
            writeBytes(m + QStringLiteral("/Rock.dat"), "old backup");
            writeBytes(m + QLatin1Char('/') + today(), "old dated backup");
        }
        if (!session.start(QStringLiteral("Rock.dat"), baseLines(5)))
            return outcome;
        Answers &script = session.answers;
        script.asked.clear();
        script.respond = [](const MsgBox::Request &r) {
            return r.buttons == MsgBox::YesNo ? MsgBox::Yes : ignoreFailures(r);
        };
        outcome.before = files(session);
        const auto disarm = [&] {
            operations = FaultShim::operations();
            outcome.failed = FaultShim::failed();
            outcome.failedOperation = FaultShim::operationName(failAt);
            FaultShim::disarm();
            outcome.after = files(session);
        };
        if (safetyCopy) {
            FaultShim::arm(session.folder.path(), failAt, mode);
            action(session.program->main, "mnuRestoreBackup")->trigger();
            disarm();
        } else {
            session.driver.then([&](QDialog *d) {
                part<QLineEdit>(d, "Text1")->setText(m);
                if (restore) {
                    click(d, "Command3");
                    click(d, "Command2");
                }
                FaultShim::arm(session.folder.path(), failAt, mode);
                click(d, restore ? "Command4" : "Command1");
                disarm();
                d->hide();
            });
            action(session.program->main, qPrintable(command))->trigger();
        }
        outcome.messages = script.texts();
        for (const MsgBox::Request &request : script.messages())
            outcome.told = outcome.told || request.icon == MsgBox::Critical;
        return outcome;
    };

    const Outcome clean = run(0, FaultShim::Mode::Once);
    QVERIFY(operations >= 4);
    const int total = operations;
    QVERIFY(clean.after != clean.before);
    for (const FaultShim::Mode mode : {FaultShim::Mode::Once, FaultShim::Mode::FromThenOn}) {
        for (int n = 1; n <= total; ++n) {
            const Outcome o = run(n, mode);
            const QString what =
                QStringLiteral("%1 %2 of %3 (%4)")
                    .arg(mode == FaultShim::Mode::Once ? QStringLiteral("once at") : QStringLiteral("from"))
                    .arg(n)
                    .arg(total)
                    .arg(o.failedOperation);
            QVERIFY2(o.failed, qPrintable(what));
            for (const QString &file : o.before.keys())
                QVERIFY2(o.after.contains(file), qPrintable(what + QStringLiteral(": removed ") + file));
            bool allNew = true, anyWritten = false;
            for (auto it = o.after.cbegin(); it != o.after.cend(); ++it) {
                QVERIFY2(clean.after.contains(it.key()) || o.before.contains(it.key()),
                         qPrintable(what + QStringLiteral(": left behind ") + it.key()));
                const bool isOld = it.value() == o.before.value(it.key());
                const bool isNew = it.value() == clean.after.value(it.key());
                QVERIFY2(isOld || isNew, qPrintable(what + QStringLiteral(": ") + it.key()));
                allNew = allNew && isNew;
                anyWritten = anyWritten || (isNew && !isOld);
            }
            if (!allNew || o.failedOperation == QLatin1String("fdatasync"))
                QVERIFY2(o.told, qPrintable(what));
            // Success is reported only for something that reached its place.
            if (o.messages.contains(QStringLiteral("Резервная копия создана!")) ||
                o.messages.contains(QStringLiteral("Восстановление завершено!")) ||
                !o.messages.filter(QStringLiteral("База успешно восстановлена")).isEmpty())
                QVERIFY2(anyWritten, qPrintable(what));
        }
    }
}

QTEST_MAIN(tst_backup)
#include "tst_backup.moc"
