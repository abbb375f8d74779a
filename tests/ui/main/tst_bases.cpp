#include "support/FaultShim.h"
#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/main/frmKillBase.h"
#include "ui/main/frmMain.h"
#include "ui/platform/ListView.h"
#include "ui/platform/moddialog.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>

using namespace MainParts;
using namespace TestSupport;

// Bases Alpha, Beta and Gamma (one, two and three tracks), Beta open unless a test says otherwise.
class tst_bases : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void switchingSavesTheOpenBaseFirst();
    void unsavedBaseIsKeptOnRequest();
    void createBase();
    void createBaseWithExistingName();
    void createBaseWithoutName();
    void refusedNames_data();
    void refusedNames();
    void deleteOpenBase();
    void deleteFirstBaseOpensTheNext();
    void deletedBasesAreNeverReopened();
    void onlyBaseIsNotDeleted();
    void deleteThroughDialog();
    void exportWritesTheSavedFile();
    void exportAsksBeforeReplacing();
    void importThenRestart();
    void importOverOpenBaseShowsIt();
    void importRefusesOtherFiles();
    void safetyCopyAndRestore();
    void missingFilesChangeNothing();

private:
    void start(int selected = 1);
    void restart();
    QString data(const QString &name) const { return m_session->folder.data(name); }
    QStringList messageTexts() const;
    QByteArray base(int count) const { return baseLines(count); }

    QString m_inputAnswer;
    QString m_fileAnswer;
    QList<moddialog::Request> m_fileAsked;
    MsgBox::InputAnswerer m_previousInput;
    moddialog::Answerer m_previousFile;
    std::unique_ptr<Session> m_session;
    frmMain *w = nullptr;
};

void tst_bases::initTestCase()
{
    Twips::setPerPixelForTesting(15, 15);
}

void tst_bases::init()
{
    m_previousInput = MsgBox::setInputAnswerer([this](const MsgBox::InputRequest &request) {
        if (request.prompt != QStringLiteral("Введите имя новой базы") || !request.title.isEmpty())
            return QStringLiteral("unexpected prompt");
        return m_inputAnswer;
    });
    m_previousFile = moddialog::setAnswerer([this](const moddialog::Request &request) {
        m_fileAsked.append(request);
        return m_fileAnswer;
    });
    m_fileAsked.clear();
    m_session = std::make_unique<Session>();
    // Deleted and replaced bases go to the Trash of the session, never the user's own.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_session->folder.file(QStringLiteral("share"))));
}

void tst_bases::cleanup()
{
    MsgBox::setInputAnswerer(m_previousInput);
    moddialog::setAnswerer(m_previousFile);
    const int stray = m_session->finish();
    m_session.reset();
    QCOMPARE(stray, 0);
}

void tst_bases::start(int selected)
{
    writeBytes(data(QStringLiteral("Alpha.dat")), base(1));
    writeBytes(data(QStringLiteral("Gamma.dat")), base(3));
    QVERIFY(m_session->start(QStringLiteral("Beta.dat"), base(2),
                             "[Settings]\r\nSelectedBase=" + QByteArray::number(selected) + "\r\n"));
    w = m_session->program->main;
    m_session->answers.answer = MsgBox::Yes;
}

void tst_bases::restart()
{
    m_session->finish();
    m_session->answers.asked.clear();
    m_session->program = std::make_unique<Program>(m_session->folder.path());
    QVERIFY(m_session->program->Main());
    w = m_session->program->main;
}

QStringList tst_bases::messageTexts() const
{
    QStringList texts;
    for (const auto &request : m_session->answers.messages())
        texts.append(request.text);
    return texts;
}

void tst_bases::switchingSavesTheOpenBaseFirst()
{
    start();
    modGlobalData &g = m_session->program->g;
    MainParts::changeField(g.catalogue, 1, 4, QStringLiteral("Changed"));
    baseItems(w)[2]->trigger();

    QCOMPARE(g.paths.sBaseFile, QStringLiteral("Gamma.dat"));
    QCOMPARE(g.options.iSelectedBase, 2);
    QCOMPARE(w->features().bases->checkedBaseIndex(), 2);
    QCOMPARE(lv(w)->count(), 3);
    QCOMPARE(w->statusText(), QStringLiteral("Загружено 3 треков"));
    QVERIFY(readBytes(data(QStringLiteral("Beta.dat"))).contains("\tChanged\t"));

    // The item of the open base saves and loads it again; the last base opened is the one the next start opens.
    baseItems(w)[2]->trigger();
    QCOMPARE(w->features().bases->checkedBaseIndex(), 2);
    QCOMPARE(lv(w)->count(), 3);
    restart();
    QCOMPARE(m_session->program->g.paths.sBaseFile, QStringLiteral("Gamma.dat"));
    QVERIFY(messageTexts().isEmpty());
}

void tst_bases::unsavedBaseIsKeptOnRequest()
{
    // The open base cannot be written: switching away, or deleting it, first asks whether to let the
    // changes go, and "No" changes nothing.
    start();
    QFile::setPermissions(data(QStringLiteral("Beta.dat")), QFileDevice::ReadOwner);
    MainParts::changeField(m_session->program->g.catalogue, 1, 4, QStringLiteral("Unsaved"));

    m_session->answers.answer = MsgBox::No;
    baseItems(w)[2]->trigger();
    const auto question = m_session->answers.messages().last();
    QCOMPARE(question.text, QStringLiteral("Изменения не сохранены: не удалось записать файл «%1».\r\n"
                                           "Всё равно открыть другую базу?")
                                .arg(QDir::toNativeSeparators(data(QStringLiteral("Beta.dat")))));
    QCOMPARE(question.defaultButton, MsgBox::SecondButton);
    QCOMPARE(w->features().bases->checkedBaseIndex(), 1);
    QCOMPARE(m_session->program->g.catalogue.arTracks().at(1).at(4), QStringLiteral("Unsaved"));

    // Deleting answers Yes to "delete?" and No to "let the changes go?".
    int asked = 0;
    MsgBox::Answerer previous = MsgBox::setAnswerer([&asked](const MsgBox::Request &request) {
        ++asked;
        return request.text.startsWith(QStringLiteral("Вы действительно")) ? MsgBox::Yes : MsgBox::No;
    });
    action(w, "mnuDelBase")->trigger();
    MsgBox::setAnswerer(previous);
    QCOMPARE(asked, 3); // delete?, the write failure, let the changes go?
    QVERIFY(QFile::exists(data(QStringLiteral("Beta.dat"))));
    QCOMPARE(w->features().bases->checkedBaseIndex(), 1);
    QVERIFY(baseItems(w)[1]->isEnabled());

    m_session->answers.answer = MsgBox::Yes;
    baseItems(w)[2]->trigger();
    QCOMPARE(w->features().bases->checkedBaseIndex(), 2);
    QCOMPARE(lv(w)->count(), 3);
}

void tst_bases::createBase()
{
    start();
    m_inputAnswer = QStringLiteral("  Новая база  ");
    action(w, "mnuNewBase")->trigger();

    QCOMPARE(baseItems(w).size(), 4);
    QAction *item = baseItems(w)[3];
    QCOMPARE(item->text(), QStringLiteral("Новая база"));
    QVERIFY(item->isVisible() && item->isChecked());
    QCOMPARE(w->features().bases->checkedBaseIndex(), 3);
    QCOMPARE(m_session->program->g.paths.sBaseFile, QStringLiteral("Новая база.dat"));
    QCOMPARE(lv(w)->count(), 0);
    QCOMPARE(w->statusText(), QStringLiteral("Загружено 0 треков"));
    QCOMPARE(m_session->program->killBase->Combo1->count(), 3);

    // Its file is first written by the next save: here, the close.
    QVERIFY(!QFile::exists(data(QStringLiteral("Новая база.dat"))));
    restart();
    QVERIFY(QFile::exists(data(QStringLiteral("Новая база.dat"))));
    QCOMPARE(baseItems(w).size(), 4);
    QCOMPARE(m_session->program->g.paths.sBaseFile, QStringLiteral("Новая база.dat"));
}

void tst_bases::createBaseWithExistingName()
{
    start();
    m_inputAnswer = QStringLiteral("Gamma");
    action(w, "mnuNewBase")->trigger();
    QCOMPARE(baseItems(w).size(), 4);
    QCOMPARE(lv(w)->count(), 3);
    baseItems(w)[0]->trigger();
    baseItems(w)[2]->trigger();
    QCOMPARE(lv(w)->count(), 3);
}

void tst_bases::createBaseWithoutName()
{
    start();
    for (const QString &answer : {QString(), QStringLiteral("   ")}) {
        m_inputAnswer = answer;
        action(w, "mnuNewBase")->trigger();
        QCOMPARE(baseItems(w).size(), 3);
        QCOMPARE(w->features().bases->checkedBaseIndex(), 1);
    }
    QVERIFY(messageTexts().isEmpty());
}

void tst_bases::refusedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("slash") << QStringLiteral("../escape");
    QTest::newRow("backslash") << QStringLiteral("..\\escape");
    QTest::newRow("absolute") << QStringLiteral("/tmp/escape");
    QTest::newRow("dots") << QStringLiteral("..");
    QTest::newRow("colon") << QStringLiteral("a:b");
    QTest::newRow("star") << QStringLiteral("a*");
    QTest::newRow("question") << QStringLiteral("a?");
    QTest::newRow("quote") << QStringLiteral("a\"b");
    QTest::newRow("angle") << QStringLiteral("a<b>");
    QTest::newRow("pipe") << QStringLiteral("a|b");
    QTest::newRow("tab") << QStringLiteral("a\tb");
    QTest::newRow("newline") << QStringLiteral("a\nb");
    QTest::newRow("device") << QStringLiteral("con");
    QTest::newRow("device with extension") << QStringLiteral("Lpt1.old");
    QTest::newRow("too long") << QString(200, QChar(0x0416)); // 400 bytes as a file name
}

void tst_bases::refusedNames()
{
    QFETCH(QString, name);
    start();
    m_inputAnswer = name;
    const QStringList before = QDir(m_session->folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    action(w, "mnuNewBase")->trigger();
    w->close();

    const auto messages = m_session->answers.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].title, QStringLiteral("Недопустимое имя базы"));
    QVERIFY(messages[0].text.startsWith(QStringLiteral("Нельзя создать базу")));
    QCOMPARE(baseItems(w).size(), 3);
    QCOMPARE(m_session->program->g.paths.sBaseFile, QStringLiteral("Beta.dat"));
    QCOMPARE(QDir(m_session->folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(QDir(m_session->folder.data(QString())).entryList(QDir::Files),
             QStringList({QStringLiteral("Alpha.dat"), QStringLiteral("Beta.dat"), QStringLiteral("Gamma.dat"),
                          QStringLiteral("otbor.lst")}));
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/escape.dat")));
}

void tst_bases::deleteOpenBase()
{
    start(2);
    writeBytes(data(QStringLiteral("Gamma.dat$")), base(1));

    m_session->answers.answer = MsgBox::No;
    action(w, "mnuDelBase")->trigger();
    QVERIFY(QFile::exists(data(QStringLiteral("Gamma.dat"))));
    QCOMPARE(w->features().bases->checkedBaseIndex(), 2);
    const auto question = m_session->answers.messages().value(0);
    QCOMPARE(question.text, QStringLiteral("Вы действительно хотите удалить открытую базу?"));
    QCOMPARE(question.buttons, MsgBox::YesNo);
    QCOMPARE(question.icon, MsgBox::Question);
    QCOMPARE(question.defaultButton, MsgBox::SecondButton);
    QCOMPARE(question.title, QString());

    // Any base but the first gives its place to the base listed before it. The base and its safety copy
    // go to the Trash; one that cannot go there stays, and the user hears why.
    m_session->answers.answer = MsgBox::Yes;
    m_session->answers.asked.clear();
    const QString trash = m_session->folder.file(QStringLiteral("share/Trash"));
    QVERIFY(QDir().mkpath(trash));
    FaultShim::arm(trash, 1, FaultShim::Mode::Once);
    action(w, "mnuDelBase")->trigger();
    FaultShim::disarm();
    QCOMPARE(messageTexts().value(1),
             QStringLiteral("Не удалось удалить файл «%1»:\r\nошибка ввода-вывода: диск неисправен "
                            "или отключён.")
                 .arg(data(QStringLiteral("Gamma.dat"))));
    QCOMPARE(readBytes(data(QStringLiteral("Gamma.dat"))), base(3));
    QVERIFY(QFile::remove(data(QStringLiteral("Gamma.dat"))));
    QCOMPARE(snapshot(trash + QStringLiteral("/files")),
             (QMap<QString, QByteArray>{{QStringLiteral("Gamma.dat$"), base(1)}}));
    QCOMPARE(w->features().bases->checkedBaseIndex(), 1);
    QCOMPARE(lv(w)->count(), 2);
    QVERIFY(!baseItems(w)[2]->isEnabled() && !baseItems(w)[2]->isChecked());
    QComboBox *combo = m_session->program->killBase->Combo1;
    QCOMPARE(combo->itemText(2), QStringLiteral("[ Удалено ]"));
    QCOMPARE(combo->itemText(1), QStringLiteral("Beta"));

    // Gone at the next start.
    restart();
    QCOMPARE(baseItems(w).size(), 2);
    QCOMPARE(m_session->program->g.paths.sBaseFile, QStringLiteral("Beta.dat"));
}

void tst_bases::deleteFirstBaseOpensTheNext()
{
    start(0);
    action(w, "mnuDelBase")->trigger();
    QVERIFY(!QFile::exists(data(QStringLiteral("Alpha.dat"))));
    QCOMPARE(w->features().bases->checkedBaseIndex(), 1);
    QCOMPARE(m_session->program->g.paths.sBaseFile, QStringLiteral("Beta.dat"));
    QCOMPARE(lv(w)->count(), 2);
}

void tst_bases::deletedBasesAreNeverReopened()
{
    // Deleting Beta opens Alpha; deleting Alpha must then open Gamma, not bring Beta back as an empty base.
    start();
    action(w, "mnuDelBase")->trigger();
    QCOMPARE(w->features().bases->checkedBaseIndex(), 0);
    action(w, "mnuDelBase")->trigger();
    QCOMPARE(w->features().bases->checkedBaseIndex(), 2);
    QCOMPARE(lv(w)->count(), 3);
    restart();
    QCOMPARE(QDir(m_session->folder.data(QString())).entryList({QStringLiteral("*.dat")}),
             QStringList{QStringLiteral("Gamma.dat")});
}

void tst_bases::onlyBaseIsNotDeleted()
{
    QVERIFY(m_session->start(QStringLiteral("Solo.dat"), base(2)));
    w = m_session->program->main;
    m_session->answers.answer = MsgBox::Yes;
    action(w, "mnuDelBase")->trigger();
    m_session->program->killBase->Combo1->setCurrentIndex(0);
    m_session->program->killBase->Command1_Click();

    const auto messages = m_session->answers.messages();
    QCOMPARE(messages.size(), 2); // a notice each time, no question
    QVERIFY(messages[0].text.startsWith(QStringLiteral("Это единственная база")));
    QCOMPARE(messages[0].icon, MsgBox::Information);
    QVERIFY(QFile::exists(data(QStringLiteral("Solo.dat"))));
    QCOMPARE(w->features().bases->checkedBaseIndex(), 0);
    QVERIFY(baseItems(w)[0]->isEnabled());
    QCOMPARE(lv(w)->count(), 2);
}

void tst_bases::deleteThroughDialog()
{
    start(2);
    modGlobalData &g = m_session->program->g;
    MainParts::changeField(g.catalogue, 3, 4, QStringLiteral("Unsaved"));
    frmKillBase *dialog = m_session->program->killBase;

    // A base of that name already in the Trash keeps its place; the new one goes beside it.
    const QString trash = m_session->folder.file(QStringLiteral("share/Trash/"));
    QVERIFY(writeBytes(trash + QStringLiteral("files/Alpha.dat"), "older") &&
            writeBytes(trash + QStringLiteral("info/Alpha.dat.trashinfo"), "older"));
    m_session->driver.then([&](QDialog *shown) {
        QCOMPARE(shown, dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Выбирите базу для удаления"));
        QCOMPARE(dialog->Combo1->currentIndex(), 2); // the open base
        dialog->Combo1->setCurrentIndex(0);
        dialog->Command1->click();
    });
    action(w, "mnuKillBase")->trigger();
    QVERIFY(m_session->driver.done());

    QCOMPARE(messageTexts(), QStringList{QStringLiteral("Вы действительно хотите удалить базуAlpha?")});
    QVERIFY(!QFile::exists(data(QStringLiteral("Alpha.dat"))));
    QCOMPARE(readBytes(trash + QStringLiteral("files/Alpha.2.dat")), base(1));
    QVERIFY(readBytes(trash + QStringLiteral("info/Alpha.2.dat.trashinfo")).contains("/DATA/Alpha.dat\n"));
    QVERIFY(readBytes(data(QStringLiteral("Gamma.dat"))).contains("\tUnsaved\t"));
    QCOMPARE(w->features().bases->checkedBaseIndex(), 1); // the base after the deleted first one
    QCOMPARE(g.paths.sBaseFile, QStringLiteral("Beta.dat"));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->Combo1->itemText(0), QStringLiteral("[ Удалено ]"));

    // The deleted line does nothing, not even ask.
    m_session->answers.asked.clear();
    dialog->Combo1->setCurrentIndex(0);
    dialog->Command1_Click();
    QVERIFY(messageTexts().isEmpty());
    QCOMPARE(w->features().bases->checkedBaseIndex(), 1);

    // "No" keeps everything; "Отмена" closes.
    m_session->answers.answer = MsgBox::No;
    m_session->driver.then([&](QDialog *) {
        dialog->Combo1->setCurrentIndex(2);
        dialog->Command1->click();
        QVERIFY(dialog->isVisible());
        dialog->Command2->click();
    });
    action(w, "mnuKillBase")->trigger();
    QVERIFY(QFile::exists(data(QStringLiteral("Gamma.dat"))));
    QCOMPARE(w->features().bases->checkedBaseIndex(), 1);
}

void tst_bases::exportWritesTheSavedFile()
{
    start();
    const QByteArray saved = readBytes(data(QStringLiteral("Beta.dat")));
    MainParts::changeField(m_session->program->g.catalogue, 1, 4, QStringLiteral("Unsaved"));
    m_fileAnswer = m_session->folder.file(QStringLiteral("copy.dat"));
    action(w, "mnExport")->trigger();

    QCOMPARE(m_fileAsked.size(), 1);
    QVERIFY(m_fileAsked[0].save);
    QCOMPARE(m_fileAsked[0].title, QStringLiteral("Куда вы хотите сохранить базу?"));
    QCOMPARE(m_fileAsked[0].filter, QStringLiteral("*.DAT") + QChar(0) + QStringLiteral("*.dat") + QChar(0));
    QCOMPARE(m_fileAsked[0].initialName, QStringLiteral("Beta.dat"));
    QCOMPARE(QDir(m_fileAsked[0].initialFolder), QDir(m_session->folder.path()));
    QCOMPARE(readBytes(m_fileAnswer), saved);
    const auto messages = m_session->answers.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QStringLiteral("База успешно экспортированна!"));
    QCOMPARE(messages[0].icon, MsgBox::Information);
    QCOMPARE(messages[0].title, QString());

    // Cancelling the dialog does nothing.
    m_fileAnswer.clear();
    action(w, "mnExport")->trigger();
    QCOMPARE(m_session->answers.messages().size(), 1);
}

void tst_bases::exportAsksBeforeReplacing()
{
    start();
    m_fileAnswer = m_session->folder.file(QStringLiteral("old.dat"));
    writeBytes(m_fileAnswer, "old");

    m_session->answers.answer = MsgBox::No;
    action(w, "mnExport")->trigger();
    QCOMPARE(readBytes(m_fileAnswer), QByteArray("old"));
    QCOMPARE(m_session->answers.messages().size(), 1); // the question only, no success, no error
    QCOMPARE(m_session->answers.messages()[0].title, QStringLiteral("Подтверждение замены файла"));

    m_session->answers.answer = MsgBox::Yes;
    action(w, "mnExport")->trigger();
    QCOMPARE(readBytes(m_fileAnswer), readBytes(data(QStringLiteral("Beta.dat"))));
    QCOMPARE(messageTexts().last(), QStringLiteral("База успешно экспортированна!"));

    // A link where the copy goes is replaced; the base it points to stays as it was.
    m_fileAnswer = m_session->folder.file(QStringLiteral("link.dat"));
    QVERIFY(QFile::link(data(QStringLiteral("Gamma.dat")), m_fileAnswer));
    action(w, "mnExport")->trigger();
    QVERIFY(!QFileInfo(m_fileAnswer).isSymLink());
    QCOMPARE(readBytes(m_fileAnswer), readBytes(data(QStringLiteral("Beta.dat"))));
    QCOMPARE(readBytes(data(QStringLiteral("Gamma.dat"))), base(3));

    // A folder that does not exist: an error, no success.
    m_session->answers.asked.clear();
    m_fileAnswer = m_session->folder.file(QStringLiteral("missing/new.dat"));
    action(w, "mnExport")->trigger();
    QCOMPARE(m_session->answers.messages().size(), 1);
    QCOMPARE(m_session->answers.messages()[0].title, QStringLiteral("Ошибка копирования"));
}

void tst_bases::importThenRestart()
{
    start();
    QTemporaryDir elsewhere;
    m_fileAnswer = elsewhere.filePath(QStringLiteral("Imported.DAT"));
    writeBytes(m_fileAnswer, base(4));
    action(w, "mnuImport")->trigger();

    QCOMPARE(m_fileAsked.size(), 1);
    QVERIFY(!m_fileAsked[0].save);
    QCOMPARE(m_fileAsked[0].title, QStringLiteral("Выбирите файл с базой для импорта в программу"));
    QCOMPARE(messageTexts(),
             QStringList{QStringLiteral("База успешно импортирована. Необходимо перезапустить программу!")});
    QCOMPARE(readBytes(data(QStringLiteral("Imported.dat"))), base(4));
    QCOMPARE(baseItems(w).size(), 3);

    restart();
    QCOMPARE(baseItems(w).size(), 4);
    QCOMPARE(baseItems(w)[3]->text(), QStringLiteral("Imported"));
    baseItems(w)[3]->trigger();
    QCOMPARE(lv(w)->count(), 4);
}

void tst_bases::importOverOpenBaseShowsIt()
{
    start();
    QTemporaryDir elsewhere;
    m_fileAnswer = elsewhere.filePath(QStringLiteral("Beta.dat"));
    writeBytes(m_fileAnswer, base(5));
    lv2(w)->addItem(QStringList{QStringLiteral("1"), QStringLiteral("Kept")});
    action(w, "mnuImport")->trigger();

    QCOMPARE(m_session->answers.messages().size(), 2);
    QCOMPARE(m_session->answers.messages()[0].title, QStringLiteral("Подтверждение замены файла"));
    QCOMPARE(messageTexts().last(), QStringLiteral("База успешно импортирована и открыта."));
    QCOMPARE(lv(w)->count(), 5);
    QCOMPARE(lv2(w)->count(), 1);
    restart();
    QCOMPARE(readBytes(data(QStringLiteral("Beta.dat"))), base(5));
}

void tst_bases::importRefusesOtherFiles()
{
    start();
    QTemporaryDir elsewhere;
    for (const QString &name : {QStringLiteral("tracks.txt"), QStringLiteral("a:b.dat")}) {
        m_session->answers.asked.clear();
        m_fileAnswer = elsewhere.filePath(name);
        writeBytes(m_fileAnswer, base(1));
        action(w, "mnuImport")->trigger();
        QCOMPARE(m_session->answers.messages().size(), 1);
        QCOMPARE(m_session->answers.messages()[0].title, QStringLiteral("Импорт базы"));
    }
    // A file already in the DATA folder cannot be copied onto itself: an error, not a success.
    m_session->answers.asked.clear();
    m_fileAnswer = data(QStringLiteral("Gamma.dat"));
    action(w, "mnuImport")->trigger();
    QCOMPARE(m_session->answers.messages().size(), 1);
    QCOMPARE(m_session->answers.messages()[0].title, QStringLiteral("Ошибка копирования"));
    QCOMPARE(readBytes(data(QStringLiteral("Gamma.dat"))), base(3));
    QCOMPARE(QDir(m_session->folder.data(QString())).entryList({QStringLiteral("*.dat")}).size(), 3);
}

void tst_bases::safetyCopyAndRestore()
{
    start();
    const QString copy = data(QStringLiteral("Beta.dat$"));
    action(w, "mnuCreateBackup")->trigger();
    QCOMPARE(readBytes(copy), base(2));
    QCOMPARE(messageTexts(),
             QStringList{QStringLiteral("База успешно скопирована в ") + QDir::toNativeSeparators(copy)});
    QCOMPARE(baseItems(w).size(), 3);

    // The base changes and is saved; then the copy replaces it and the program closes without saving.
    w->features().tracks->deleteTrackOfRow(0);
    QVERIFY(w->SaveCurentH());
    QCOMPARE(readBytes(data(QStringLiteral("Beta.dat"))), baseLines(2).mid(baseLines(1).size()));
    lv2(w)->addItem(QStringList{QStringLiteral("1"), QStringLiteral("Picked")});
    const QByteArray saved = readBytes(data(QStringLiteral("Beta.dat")));
    // A damaged copy is asked about first; No leaves everything as it was.
    writeBytes(copy, "CD\t1\t\x01");
    m_session->answers.respond = [](const MsgBox::Request &r) {
        return r.text.contains(QStringLiteral("не похож на базу")) ? MsgBox::No : MsgBox::Yes;
    };
    action(w, "mnuRestoreBackup")->trigger();
    m_session->answers.respond = nullptr;
    QCOMPARE(messageTexts().last(),
             QStringLiteral("Файл «%1» не похож на базу: в строке 1 есть управляющий символ с кодом 1.\r\n"
                            "Вы действительно хотите восстановить из него базу?")
                 .arg(copy));
    QCOMPARE(readBytes(data(QStringLiteral("Beta.dat"))), saved);
    QVERIFY(w->isVisible());
    writeBytes(copy, base(2));
    m_session->answers.asked.clear();
    m_session->answers.answer = MsgBox::No;
    action(w, "mnuRestoreBackup")->trigger();
    QVERIFY(w->isVisible());
    m_session->answers.answer = MsgBox::Yes;
    action(w, "mnuRestoreBackup")->trigger();

    const auto messages = m_session->answers.messages();
    QCOMPARE(messages.size(), 4);
    QCOMPARE(messages[1].text,
             QStringLiteral("Вы действительно хотите восстановить базу? Текущая база будет удалена!"));
    QCOMPARE(messages[1].defaultButton, MsgBox::SecondButton);
    QCOMPARE(messages[2].text, QStringLiteral("База успешно восстановлена из ") + QDir::toNativeSeparators(copy));
    QCOMPARE(messages[3].text, QStringLiteral("Необходимо перезапустить программу!"));
    QCOMPARE(messages[3].icon, MsgBox::Exclamation);
    QVERIFY(!w->isVisible());
    QCOMPARE(readBytes(data(QStringLiteral("Beta.dat"))), base(2));
    // The base the copy replaced is in the Trash.
    QCOMPARE(readBytes(m_session->folder.file(QStringLiteral("share/Trash/files/Beta.dat"))), saved);

    restart();
    QCOMPARE(lv(w)->count(), 2);
    QCOMPARE(lv2(w)->count(), 1);
    QCOMPARE(readBytes(copy), base(2));
}

void tst_bases::missingFilesChangeNothing()
{
    // A base never saved has no file to copy, and no safety copy to restore from.
    start();
    m_inputAnswer = QStringLiteral("Fresh");
    action(w, "mnuNewBase")->trigger();
    action(w, "mnuCreateBackup")->trigger();
    action(w, "mnuRestoreBackup")->trigger();
    const auto messages = m_session->answers.messages();
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[0].text.contains(QStringLiteral("Резервная копия не создана")));
    QVERIFY(messages[1].text.contains(QStringLiteral("База не изменена")));
    QCOMPARE(messages[1].icon, MsgBox::Exclamation);
    QVERIFY(w->isVisible());
    QVERIFY(!QFile::exists(data(QStringLiteral("Fresh.dat$"))));
    QVERIFY(!QFile::exists(data(QStringLiteral("Fresh.dat"))));
}

QTEST_MAIN(tst_bases)
#include "tst_bases.moc"
