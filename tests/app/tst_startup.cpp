#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/edit/frmAddEdit.h"
#include "ui/main/frmKillBase.h"
#include "ui/main/frmMain.h"
#include "ui/main/frmPopup.h"
#include "ui/main/frmSplash.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

using namespace MainParts;
using namespace TestSupport;

class tst_startup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void firstStartWithNothingStored();
    void opensStoredBaseAndListsBases();
    void selectedBaseOutOfRange_data();
    void selectedBaseOutOfRange();
    void disableXpSetting();
    void loadFillsListsAndStatus();
    void shutdownWritesEverythingBack();
    void noSaveAfterRestore();
    void narrowScreenQuestion();
    void secondStartEndsSilently();
    void appliesStoredWindowSettings();
    void failedSaveAsksBeforeClosing();
    void dataFolderThatIsAFile();
    void manyBases();
    void lossesAreToldAtLoad();
    void todayLine();
};

void tst_startup::initTestCase()
{
    Twips::setPerPixelForTesting(15, 15);
}

void tst_startup::firstStartWithNothingStored()
{
    Folder folder;
    Answers answers;
    {
        Program program(folder.path());
        QVERIFY(program.Main());
        frmMain *w = program.main;
        QVERIFY(w->isVisible());
        QVERIFY(!program.splash->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Cratebook 0.8.8 Beta"));
        QCOMPARE(program.g.paths.sBaseFile, QStringLiteral("База 1.dat"));
        QCOMPARE(baseItems(w).size(), 1);
        QVERIFY(!baseItems(w)[0]->isVisible());
        QCOMPARE(w->statusText(), QStringLiteral("Загружено 0 треков"));
        QCOMPARE(lv(w)->columnCount(), 12);
        QCOMPARE(lv(w)->columnText(0), QStringLiteral("Тип носителя"));
        QCOMPARE(lv(w)->columnText(11), QStringLiteral("Рейтинг"));
        QCOMPARE(lv(w)->columnWidth(3), 100);
        QCOMPARE(lv2(w)->columnCount(), 5);
        QCOMPARE(lv2(w)->columnText(4), QStringLiteral("Тип и № носителя"));
        QVERIFY(lv2(w)->flatColumnHeaders());
        QVERIFY(!lv2(w)->isVisible());
        QVERIFY(!action(w, "mnuOtbor")->isChecked());
        QVERIFY(!action(w, "mnuDisableXP")->isChecked());
        QCOMPARE(program.popup->ChC[5]->text(), QStringLiteral("Название"));
        QVERIFY(program.popup->chAll->isChecked());
        QVERIFY(program.popup->Ch[1]->isChecked() && !program.popup->Ch[1]->isEnabled());
        QCOMPARE(program.addEdit->txt1->count(), 2);
        QCOMPARE(program.addEdit->txt1->currentText(), QStringLiteral("CD"));
        QVERIFY(program.main->features().search->iBaseLoaded());
        // Loading creates no base file.
        QVERIFY(!QFile::exists(folder.data(QStringLiteral("База 1.dat"))));
        QVERIFY(w->close());
    }
    QVERIFY(answers.messages().isEmpty());
    QVERIFY(QFile::exists(folder.data(QStringLiteral("База 1.dat"))));
    QCOMPARE(readBytes(folder.data(QStringLiteral("otbor.lst"))), QByteArray());
    const QByteArray settings = readBytes(folder.file(QStringLiteral("settings.ini")));
    QCOMPARE(settings.count("\r\n"), 18);
    QVERIFY(settings.contains("ColoumnWidth4= 1500\r\n"));
    QVERIFY(settings.contains("DisableXP= 0\r\nWindowState= 0\r\nShowPanel=False\r\nPanelH= "));
    QVERIFY(settings.endsWith("SelectedBase= 0\r\n"));
    QVERIFY(!QFile::exists(folder.data(QStringLiteral(".cratebook.lock"))));
}

void tst_startup::opensStoredBaseAndListsBases()
{
    Folder folder;
    Answers answers;
    writeBytes(folder.data(QStringLiteral("Jazz.dat")), baseLines(2));
    writeBytes(folder.data(QStringLiteral("Rock.dat")), baseLines(3, "LP"));
    writeBytes(folder.data(QStringLiteral("Rock.dat$")), baseLines(9));
    writeBytes(folder.file(QStringLiteral("settings.ini")), "[Settings]\r\nSelectedBase= 1\r\n");
    Program program(folder.path());
    QVERIFY(program.Main());
    frmMain *w = program.main;
    QCOMPARE(baseItems(w).size(), 2);
    QCOMPARE(baseItems(w)[0]->text(), QStringLiteral("Jazz"));
    QCOMPARE(baseItems(w)[1]->text(), QStringLiteral("Rock"));
    QVERIFY(baseItems(w)[0]->isVisible() && baseItems(w)[1]->isVisible());
    QCOMPARE(w->features().bases->checkedBaseIndex(), 1);
    QCOMPARE(program.g.paths.sBaseFile, QStringLiteral("Rock.dat"));
    QCOMPARE(program.killBase->Combo1->count(), 2);
    QCOMPARE(program.killBase->Combo1->currentIndex(), 1);
    QCOMPARE(lv(w)->count(), 3);
    QCOMPARE(lv(w)->itemText(0, 0), QStringLiteral("LP"));
    w->close();
}

void tst_startup::selectedBaseOutOfRange_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("5 with three bases") << QByteArray(" 5");
    QTest::newRow("negative") << QByteArray("-1");
    QTest::newRow("junk") << QByteArray("\"x\"");
}

void tst_startup::selectedBaseOutOfRange()
{
    QFETCH(QByteArray, value);
    Folder folder;
    Answers answers;
    for (const char *name : {"A.dat", "B.dat", "C.dat"})
        writeBytes(folder.data(QLatin1String(name)), baseLines(1));
    writeBytes(folder.file(QStringLiteral("settings.ini")), "[Settings]\r\nSelectedBase=" + value + "\r\n");
    Program program(folder.path());
    QVERIFY(program.Main());
    QCOMPARE(program.g.options.iSelectedBase, 0);
    QCOMPARE(program.main->features().bases->checkedBaseIndex(), 0);
    QCOMPARE(program.g.paths.sBaseFile, QStringLiteral("A.dat"));
    program.main->close();
    QVERIFY(readBytes(folder.file(QStringLiteral("settings.ini"))).contains("SelectedBase= 0\r\n"));
}

void tst_startup::disableXpSetting()
{
    Folder folder;
    Answers answers;
    writeBytes(folder.file(QStringLiteral("settings.ini")), "[Settings]\r\nDisableXP=1\r\n");
    {
        Program program(folder.path());
        QVERIFY(program.Main());
        QVERIFY(action(program.main, "mnuDisableXP")->isChecked());
        QCOMPARE(program.g.options.iDisableXP, 1);
        program.main->close();
    }
    QVERIFY(readBytes(folder.file(QStringLiteral("settings.ini"))).contains("DisableXP= 1\r\n"));
}

void tst_startup::loadFillsListsAndStatus()
{
    Folder folder;
    Answers answers;
    writeBytes(folder.data(QStringLiteral("Main.dat")), baseLines(3) + "\r\n");
    writeBytes(folder.data(QStringLiteral("otbor.lst")), "1\tArtist 2\tTitle 2\t\tCD #2\r\n2\tX\r\n");
    Program program(folder.path());
    QVERIFY(program.Main());
    frmMain *w = program.main;
    // The empty line is a track too until the next save.
    QCOMPARE(w->statusText(), QStringLiteral("Загружено 4 треков"));
    QCOMPARE(lv(w)->count(), 4);
    for (int row = 0; row < 4; ++row)
        QCOMPARE(lv(w)->itemTag(row), row + 1);
    QCOMPARE(lv(w)->itemText(1, 3), QStringLiteral("Artist 2"));
    QCOMPARE(lv(w)->selectedRow(), 3);
    QCOMPARE(lv2(w)->count(), 2);
    QCOMPARE(lv2(w)->itemText(0, 4), QStringLiteral("CD #2"));
    QCOMPARE(lv2(w)->itemText(1, 1), QStringLiteral("X"));
    w->close();
    QCOMPARE(readBytes(folder.data(QStringLiteral("Main.dat"))), baseLines(3));
    QCOMPARE(readBytes(folder.data(QStringLiteral("otbor.lst"))),
             QByteArray("1\tArtist 2\tTitle 2\t\tCD #2\r\n2\tX\t\t\t\r\n"));
}

void tst_startup::shutdownWritesEverythingBack()
{
    Folder folder;
    Answers answers;
    const QByteArray base = "CD\t1\t1\t\xc0\xf0\xf2\xe8\xf1\xf2\t\t\t\t\t\t\t\t\tr12\tr13\r\n";
    writeBytes(folder.data(QStringLiteral("Main.dat")), base);
    QFile::setPermissions(folder.data(QStringLiteral("Main.dat")), QFileDevice::ReadOwner);
    {
        Program program(folder.path());
        QVERIFY(program.Main());
        // Loading made the file writable again, so closing can save it.
        QVERIFY(QFile::permissions(folder.data(QStringLiteral("Main.dat"))) & QFileDevice::WriteOwner);
        QFile::remove(folder.data(QStringLiteral("Main.dat")));
        QVERIFY(program.main->close());
    }
    QVERIFY(answers.messages().isEmpty());
    QCOMPARE(readBytes(folder.data(QStringLiteral("Main.dat"))), base);
    QVERIFY(QFile::exists(folder.file(QStringLiteral("settings.ini"))));
}

void tst_startup::noSaveAfterRestore()
{
    Folder folder;
    Answers answers;
    writeBytes(folder.data(QStringLiteral("Main.dat")), baseLines(2));
    Program program(folder.path());
    QVERIFY(program.Main());
    writeBytes(folder.data(QStringLiteral("Main.dat")), baseLines(5));
    program.main->features().session->setSaveOnClose(false);
    program.main->close();
    QCOMPARE(readBytes(folder.data(QStringLiteral("Main.dat"))), baseLines(5));
    QVERIFY(QFile::exists(folder.file(QStringLiteral("settings.ini"))));
}

void tst_startup::narrowScreenQuestion()
{
    // The offscreen screen is 800 pixels wide.
    QVERIFY(QGuiApplication::primaryScreen()->size().width() < 1024);
    QTemporaryDir dir;
    Answers answers;
    answers.screenAnswer = MsgBox::No;
    {
        Program program(dir.path());
        QVERIFY(!program.Main());
        QVERIFY(!program.main);
    }
    QCOMPARE(answers.asked.size(), 1);
    const MsgBox::Request &question = answers.asked.first();
    QCOMPARE(question.text, QStringLiteral("Программе для нормального функционирования требуется разрешение экрана как "
                                           "минимум 1024x768.\r\nВсе равно запустить программу?"));
    QCOMPARE(question.buttons, MsgBox::YesNo);
    QCOMPARE(question.icon, MsgBox::NoIcon);
    QCOMPARE(question.defaultButton, MsgBox::SecondButton);
    QCOMPARE(question.title, QString());
    // Nothing was created.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

void tst_startup::secondStartEndsSilently()
{
    Folder folder;
    Answers answers;
    QTemporaryDir other;
    QVERIFY(QFile::link(folder.file(QStringLiteral("DATA")), other.filePath(QStringLiteral("DATA"))));
    {
        Program first(folder.path());
        QVERIFY(first.Main());
        const int asked = int(answers.asked.size());
        {
            Program second(folder.path());
            QVERIFY(!second.Main());
            QVERIFY(!second.main);
        }
        // A second program folder whose DATA is the first one's (a link) holds the same data: refused too.
        {
            Program second(other.path());
            QVERIFY(!second.Main());
        }
        QCOMPARE(answers.asked.size(), asked);
        first.main->close();
    }
    // Once the first copy has ended, the other folder starts.
    Program third(other.path());
    QVERIFY(third.Main());
    third.main->close();
}

void tst_startup::appliesStoredWindowSettings()
{
    Folder folder;
    Answers answers;
    writeBytes(folder.file(QStringLiteral("settings.ini")),
               "[Settings]\r\nColoumnWidth3= 0\r\nColoumnWidth4=-50\r\nColoumnWidth5= 3000\r\n"
               "ShowPanel=True\r\nPanelH= 1500\r\n");
    {
        Program program(folder.path());
        QVERIFY(program.Main());
        frmMain *w = program.main;
        QCOMPARE(lv(w)->columnWidth(2), 50);
        QCOMPARE(lv(w)->columnWidth(3), 100);
        QCOMPARE(lv(w)->columnWidth(4), 200);
        QVERIFY(action(w, "mnuOtbor")->isChecked());
        QVERIFY(lv2(w)->isVisible());
        QCOMPARE(w->features().geometry->sngPanelH(), 1500.0);
        w->close();
    }
    const QByteArray stored = readBytes(folder.file(QStringLiteral("settings.ini")));
    QVERIFY(stored.contains("ColoumnWidth5= 3000\r\n"));
    QVERIFY(stored.contains("ShowPanel=True\r\nPanelH= 1500\r\n"));

    // Without "PanelH" the panel gets 0.3 of the window's height; "true" does not show it.
    writeBytes(folder.file(QStringLiteral("settings.ini")), "[Settings]\r\nShowPanel=true\r\n");
    {
        Program program(folder.path());
        QVERIFY(program.Main());
        QVERIFY(!lv2(program.main)->isVisible());
        QCOMPARE(program.main->features().geometry->sngPanelH(), program.main->features().geometry->formHeight() * 0.3);
        program.main->close();
    }

    // A damaged negative height is treated as none; the quotes Windows allows around a value are dropped.
    writeBytes(folder.file(QStringLiteral("settings.ini")), "[Settings]\r\nShowPanel=\"True\"\r\nPanelH=-5\r\n");
    Program program(folder.path());
    QVERIFY(program.Main());
    QVERIFY(lv2(program.main)->isVisible());
    QCOMPARE(program.main->features().geometry->sngPanelH(), program.main->features().geometry->formHeight() * 0.3);
    QVERIFY(lv2(program.main)->height() > 0);
    program.main->showMinimized();
    program.main->close();
    QVERIFY(readBytes(folder.file(QStringLiteral("settings.ini"))).contains("WindowState= 1\r\n"));
}

void tst_startup::failedSaveAsksBeforeClosing()
{
    // A folder where the base file should be: the save fails, and closing asks before losing anything.
    Folder folder;
    Answers answers;
    answers.answer = MsgBox::No;
    writeBytes(folder.data(QStringLiteral("База 1.dat/keep")), "x");
    Program program(folder.path());
    QVERIFY(program.Main());
    QCOMPARE(program.g.paths.sBaseFile, QStringLiteral("База 1.dat"));
    QCOMPARE(lv(program.main)->count(), 0);

    // Refusing to close without saving keeps the window open.
    QVERIFY(!program.main->close());
    QVERIFY(program.main->isVisible());
    const auto messages = answers.messages();
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[0].text.contains(QStringLiteral("База 1.dat")));
    QCOMPARE(messages[0].icon, MsgBox::Critical);
    QCOMPARE(messages[1].buttons, MsgBox::YesNo);
    QCOMPARE(messages[1].defaultButton, MsgBox::SecondButton);

    answers.answer = MsgBox::Yes;
    QVERIFY(program.main->close());
    QVERIFY(QFileInfo(folder.data(QStringLiteral("База 1.dat/keep"))).isFile());
}

void tst_startup::dataFolderThatIsAFile()
{
    // Without a data folder nothing could be kept: the program says why and does not start.
    QTemporaryDir dir;
    writeBytes(dir.filePath(QStringLiteral("DATA")), "not a folder");
    Answers answers;
    Program program(dir.path());
    QVERIFY(!program.Main());
    const auto messages = answers.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text,
             QStringLiteral("Программа не может начать работу: не удалось создать папку данных «%1».\r\n"
                            "Причина: на месте папки находится файл с тем же именем.")
                 .arg(QDir::toNativeSeparators(dir.filePath(QStringLiteral("DATA")))));
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("DATA"))), QByteArray("not a folder"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("DATA")});

    // A link to a folder that is not there (a drive not plugged in) is named as such, and left alone.
    QFile::remove(dir.filePath(QStringLiteral("DATA")));
    const QString gone = dir.filePath(QStringLiteral("unplugged/DATA"));
    QVERIFY(QFile::link(gone, dir.filePath(QStringLiteral("DATA"))));
    QVERIFY(!Program(dir.path()).Main());
    QVERIFY(answers.messages().last().text.endsWith(
        QStringLiteral("\r\nПричина: это ссылка на «%1», а там ничего нет: ссылка никуда не ведёт.").arg(gone)));
    QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("DATA"))).symLinkTarget(), gone);
}

void tst_startup::manyBases()
{
    Folder folder;
    Answers answers;
    for (int i = 0; i < 1005; ++i)
        writeBytes(folder.data(QStringLiteral("base%1.dat").arg(i, 4, 10, QLatin1Char('0'))), QByteArray());
    Program program(folder.path());
    QVERIFY(program.Main());
    QCOMPARE(baseItems(program.main).size(), 1005);
    QCOMPARE(baseItems(program.main)[1004]->text(), QStringLiteral("base1004"));
    QCOMPARE(program.killBase->Combo1->count(), 1005);
    program.main->features().session->setSaveOnClose(false);
    program.main->close();
}

void tst_startup::lossesAreToldAtLoad()
{
    // Once, at load, before anything is written: what the next save will not keep.
    Folder folder;
    Answers answers;
    const QByteArray base = "CD\t1\t1\tA\tT\t\t\t\t\t\t\t\t\t\tpart 15\r\n\tno type\r\n";
    const QByteArray tracklist = "1\tA\tT\t3:00\tCD #1\textra\r\n";
    writeBytes(folder.data(QStringLiteral("Rock.dat")), base);
    writeBytes(folder.data(QStringLiteral("otbor.lst")), tracklist);
    Program program(folder.path());
    QVERIFY(program.Main());
    const auto messages = answers.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].title, QStringLiteral("Внимание!"));
    QCOMPARE(messages[0].icon, MsgBox::Exclamation);
    QCOMPARE(
        messages[0].text,
        QStringLiteral("Не всё, что есть в файлах, будет сохранено при следующей записи базы.\r\n"
                       "\r\nФайл «%1»:"
                       "\r\n– строк, в которых больше 14 полей: 1 (первая — строка 1); поля после 14-го не сохранятся;"
                       "\r\n– строк с пустым полем «Тип носителя», но с другим текстом: 1 (первая — строка 2); эти "
                       "строки не сохранятся;"
                       "\r\nФайл «%2»:"
                       "\r\n– строк, в которых больше 5 полей: 1 (первая — строка 1); поля после 5-го не сохранятся."
                       "\r\n\r\nЕсли эти данные нужны, скопируйте файл, прежде чем менять базу или закрывать "
                       "программу.")
            .arg(QDir::toNativeSeparators(folder.data(QStringLiteral("Rock.dat"))),
                 QDir::toNativeSeparators(folder.data(QStringLiteral("otbor.lst")))));
    QCOMPARE(readBytes(folder.data(QStringLiteral("Rock.dat"))), base);
    QCOMPARE(readBytes(folder.data(QStringLiteral("otbor.lst"))), tracklist);
    program.main->features().session->setSaveOnClose(false);
    program.main->close();
}

void tst_startup::todayLine()
{
    QCOMPARE(Program::todayText(QDate(2026, 12, 6)), QStringLiteral("Сегодня 06-12-2026 (Воскресенье)"));
    QCOMPARE(Program::todayText(QDate(2026, 12, 8)), QStringLiteral("Сегодня 08-12-2026 (Вторник)"));
}

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
