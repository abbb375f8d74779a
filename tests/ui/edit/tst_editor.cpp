#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/edit/BoxPaste.h"
#include "ui/edit/frmAddEdit.h"
#include "ui/main/frmMain.h"
#include "ui/platform/ListView.h"
#include "ui/platform/VisualStyle.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

using namespace MainParts;
using namespace TestSupport;

class tst_editor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void addToEmptyCatalogue();
    void duplicateIsRefused();
    void sameNumbersOnOtherMediaType();
    void emptyMediaNumberDoesNothing();
    void plusCopyKeepsTheEditorOpen();
    void editKeepsReservedFieldsAndAllowsDuplicates();
    void newTrackKeepsTheDiscFields();
    void nextMediaNumberAndToday();
    void capitalisation();
    void keyHandling();
    void closingIsCancel();
    void unencodableTextIsConfirmed();
    void longFieldsAreKeptWhole(); // and pastes longer than a box
    void classicLook();

private:
    void start(const QByteArray &base, const QByteArray &settings = QByteArray());
    frmAddEdit *ed() const { return m_program->addEdit; }
    QString savedBase() const { return QString::fromLatin1(readBytes(m_folder->data(QStringLiteral("Main.dat")))); }

    std::unique_ptr<Session> m_session;
    Folder *m_folder = nullptr;
    Answers *m_answers = nullptr;
    Driver *m_driver = nullptr;
    Program *m_program = nullptr;
    frmMain *w = nullptr;
};

void tst_editor::initTestCase()
{
    Twips::setPerPixelForTesting(15, 15);
}

void tst_editor::start(const QByteArray &base, const QByteArray &settings)
{
    m_session = std::make_unique<Session>();
    m_folder = &m_session->folder;
    m_answers = &m_session->answers;
    m_driver = &m_session->driver;
    QVERIFY(m_session->start(QStringLiteral("Main.dat"), base, settings));
    m_program = m_session->program.get();
    w = m_program->main;
}

void tst_editor::cleanup()
{
    const int stray = m_session ? m_session->finish() : 0;
    m_session.reset();
    QCOMPARE(stray, 0);
}

void tst_editor::addToEmptyCatalogue()
{
    start(QByteArray());
    m_driver->then([this](QDialog *) {
        QVERIFY(m_program->g.editor.iEditorOpen);
        QVERIFY(m_program->g.editor.iAddMode);
        QVERIFY(ed()->Check1->isEnabled());
        ed()->txt1->setCurrentIndex(1);
        ed()->txt[2]->setText(QStringLiteral("7"));
        ed()->txt[3]->setText(QStringLiteral("A1"));
        ed()->txt[4]->setText(QStringLiteral("Moby"));
        QTest::mouseClick(ed()->Command1, Qt::LeftButton);
    });
    action(w, "mnuNewRecord2")->trigger();
    QCOMPARE(m_driver->shown, 1);
    QVERIFY(!ed()->isVisible());
    QVERIFY(!m_program->g.editor.iEditorOpen);
    QVERIFY(!m_program->g.editor.iAddMode);
    QCOMPARE(m_program->g.catalogue.arTracks().count(), 1);
    QCOMPARE(lv(w)->count(), 1);
    QCOMPARE(lv(w)->itemTag(0), 1);
    QCOMPARE(lv(w)->selectedRow(), 0);
    QCOMPARE(w->statusText(), QStringLiteral("Загружено 1 треков"));
    QCOMPARE(savedBase(), QStringLiteral("LP\t7\tA1\tMoby\t\t\t\t\t\t\t\t\t\t\r\n"));
    QVERIFY(action(w, "mnuEditRecord2")->isEnabled());
}

void tst_editor::duplicateIsRefused()
{
    start("CD\t1\t1\tA\r\n");
    m_driver->then([this](QDialog *) {
        ed()->txt1->setCurrentIndex(0);
        ed()->txt[2]->setText(QStringLiteral("1"));
        ed()->txt[3]->setText(QStringLiteral("1"));
        ed()->Command1_Click();
        QVERIFY(ed()->isVisible());
        ed()->Command2_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
    const auto messages = m_answers->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].title, QStringLiteral("Уже есть!"));
    QCOMPARE(messages[0].icon, MsgBox::Exclamation);
    QCOMPARE(messages[0].buttons, MsgBox::OkOnly);
    QCOMPARE(messages[0].text, QStringLiteral("Такой трек уже существует!\r\nПоменяйте тип носителя или его номер а "
                                              "также номер трека."));
    QCOMPARE(m_program->g.catalogue.arTracks().count(), 1);
    QCOMPARE(ed()->txt[3]->text(), QStringLiteral("1"));
}

void tst_editor::sameNumbersOnOtherMediaType()
{
    start("CD\t1\t1\tA\r\n");
    m_driver->then([this](QDialog *) {
        ed()->txt1->setCurrentIndex(1);
        ed()->txt[2]->setText(QStringLiteral("1"));
        ed()->txt[3]->setText(QStringLiteral("1"));
        ed()->Command1_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
    QVERIFY(m_answers->messages().isEmpty());
    QCOMPARE(m_program->g.catalogue.arTracks().count(), 2);
}

void tst_editor::emptyMediaNumberDoesNothing()
{
    start(QByteArray());
    m_driver->then([this](QDialog *) {
        ed()->txt[2]->clear();
        ed()->txt[4]->setText(QStringLiteral("X"));
        ed()->Command1_Click();
        QVERIFY(ed()->isVisible());
        ed()->Command2_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
    QVERIFY(m_answers->messages().isEmpty());
    QCOMPARE(m_program->g.catalogue.arTracks().count(), 0);
}

void tst_editor::plusCopyKeepsTheEditorOpen()
{
    start(QByteArray());
    m_driver->then([this](QDialog *) {
        ed()->txt[2]->setText(QStringLiteral("5"));
        ed()->txt[3]->setText(QStringLiteral("1"));
        ed()->Check1->setChecked(true);
        ed()->Command1_Click();
        // Stored and saved, still open in add mode, "+копия" cleared, the fields as they were.
        QVERIFY(ed()->isVisible());
        QVERIFY(!ed()->Check1->isChecked());
        QVERIFY(m_program->g.editor.iAddMode);
        QCOMPARE(ed()->txt[3]->text(), QStringLiteral("1"));
        QCOMPARE(savedBase(), QStringLiteral("CD\t5\t1\t\t\t\t\t\t\t\t\t\t\t\r\n"));
        // The same again is a duplicate; the next track number is not.
        ed()->Command1_Click();
        QCOMPARE(m_answers->messages().size(), 1);
        ed()->txt[3]->setText(QStringLiteral("2"));
        ed()->Command1_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
    QCOMPARE(m_program->g.catalogue.arTracks().count(), 2);
    QCOMPARE(lv(w)->itemTag(1), 2);
    QVERIFY(!ed()->isVisible());
}

void tst_editor::editKeepsReservedFieldsAndAllowsDuplicates()
{
    start("CD\t1\t1\tA\tOld\t\t\t\t\t\t\t\tr12\tr13\r\nCD\t2\t1\tB\r\n");
    lv(w)->setSelectedRow(0);
    m_driver->then([this](QDialog *) {
        QVERIFY(!m_program->g.editor.iAddMode);
        QVERIFY(!ed()->Check1->isEnabled());
        QCOMPARE(ed()->txt[5]->text(), QStringLiteral("Old"));
        ed()->txt[5]->setText(QStringLiteral("New"));
        ed()->txt[2]->setText(QStringLiteral("2")); // now the same numbers as the second track
        ed()->Command1_Click();
    });
    w->EditCurent();
    QVERIFY(m_answers->messages().isEmpty());
    QCOMPARE(lv(w)->itemText(0, 4), QStringLiteral("New"));
    QCOMPARE(m_program->g.catalogue.arTracks().field(1, TrackRecord::Reserved12), QStringLiteral("r12"));
    QCOMPARE(savedBase(),
             QStringLiteral("CD\t2\t1\tA\tNew\t\t\t\t\t\t\t\tr12\tr13\r\nCD\t2\t1\tB\t\t\t\t\t\t\t\t\t\t\r\n"));
}

void tst_editor::newTrackKeepsTheDiscFields()
{
    start("LP\t4\t2\tArtist\tTitle\tAlbum\t3:00\t01.01.2020\tHouse\tLabel\tComment\t5\r\n");
    lv(w)->setSelectedRow(0);
    m_driver->then([this](QDialog *) { ed()->Command2_Click(); });
    w->EditCurent();
    m_driver->then([this](QDialog *) {
        QCOMPARE(ed()->txt1->currentText(), QStringLiteral("LP"));
        // Indexed by box: 2 media number, 8 date, 9 style, 10 label stay.
        const QStringList kept{"", "", "4", "", "", "", "", "", "01.01.2020", "House", "Label", "", ""};
        for (int i = 2; i <= 12; ++i)
            QCOMPARE(ed()->txt[i]->text(), kept[i]);
        QVERIFY(!ed()->AutoDisable);
        ed()->Command2_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
    QCOMPARE(m_driver->shown, 2);
}

void tst_editor::nextMediaNumberAndToday()
{
    start("CD\t3\r\nCD\t12\r\nCD\tx\r\nLP\t40\r\n");
    m_driver->then([this](QDialog *) {
        ed()->txt1->setCurrentIndex(0);
        QTest::mouseClick(ed()->Command6, Qt::LeftButton);
        QCOMPARE(ed()->txt[2]->text(), QStringLiteral("13"));
        ed()->txt1->setCurrentIndex(1);
        ed()->Command6_Click();
        QCOMPARE(ed()->txt[2]->text(), QStringLiteral("41"));
        QTest::mouseClick(ed()->Command3, Qt::LeftButton);
        QCOMPARE(ed()->txt[8]->text(), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
        ed()->Command2_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
}

void tst_editor::capitalisation()
{
    start(QByteArray());
    m_driver->then([this](QDialog *) {
        QLineEdit *artist = ed()->txt[4];
        artist->setFocus();
        QTest::keyClick(artist, Qt::Key_M);
        QCOMPARE(artist->text(), QStringLiteral("M"));
        QCOMPARE(artist->cursorPosition(), 1);
        QTest::keyClicks(artist, QStringLiteral("oby"));
        QCOMPARE(artist->text(), QStringLiteral("Moby"));

        QLineEdit *title = ed()->txt[5];
        title->setFocus();
        QTest::sendKeyEvent(QTest::Click, title, Qt::Key_unknown, QStringLiteral("ж"), Qt::NoModifier);
        QCOMPARE(title->text(), QStringLiteral("Ж"));

        // Boxes without capitalisation, and text filled in by the program, stay as typed.
        QTest::keyClicks(ed()->txt[3], QStringLiteral("a1"));
        QCOMPARE(ed()->txt[3]->text(), QStringLiteral("a1"));
        ed()->AutoDisable = true;
        ed()->txt[6]->setText(QStringLiteral("album"));
        QCOMPARE(ed()->txt[6]->text(), QStringLiteral("album"));
        // A right click (a paste from the box's menu may follow) turns it off until the next key.
        ed()->AutoDisable = false;
        QTest::mouseClick(ed()->txt[9], Qt::RightButton);
        QVERIFY(ed()->AutoDisable);
        ed()->Command2_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
}

void tst_editor::keyHandling()
{
    start(QByteArray());
    m_driver->then([this](QDialog *dialog) {
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        ed()->txt[4]->setFocus();
        QTest::keyClick(ed()->txt[4], Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), ed()->txt[3]);
        ed()->txt[2]->setFocus();
        QTest::keyClick(ed()->txt[2], Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), ed()->txt1);
        ed()->txt[3]->setEnabled(false);
        ed()->GoNext(4);
        QCOMPARE(QApplication::focusWidget(), ed()->txt[2]);
        ed()->txt[3]->setEnabled(true);

        // Right arrow in the artist box takes one more character of a selected tail.
        QLineEdit *artist = ed()->txt[4];
        ed()->AutoDisable = true;
        artist->setText(QStringLiteral("Mitra Sound"));
        artist->setSelection(2, 9);
        QTest::keyClick(artist, Qt::Key_Right);
        QCOMPARE(artist->selectionStart(), 3);
        QCOMPARE(artist->selectedText(), QStringLiteral("ra Sound"));

        // Backspace and Delete mark the next change as not to be completed; a typed letter clears it.
        // (In an empty box no change follows that would use the mark up.)
        artist->clear();
        QTest::keyClick(artist, Qt::Key_Backspace);
        QVERIFY(m_program->g.editor.iDeleteKey);
        QVERIFY(!ed()->AutoDisable);
        QTest::keyClick(artist, Qt::Key_X);
        QVERIFY(!m_program->g.editor.iDeleteKey);
        QTest::keyClick(ed()->txt[5], Qt::Key_Delete);
        QVERIFY(!m_program->g.editor.iDeleteKey);
        ed()->Command2_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
}

void tst_editor::closingIsCancel()
{
    start(QByteArray());
    m_driver->then([this](QDialog *dialog) {
        ed()->txt[4]->setText(QStringLiteral("Typed"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    w->features().tracks->mnuNewRecord_Click();
    QVERIFY(!ed()->isVisible());
    QVERIFY(!m_program->g.editor.iEditorOpen);
    QVERIFY(!m_program->g.editor.iAddMode);
    QCOMPARE(ed()->txt[4]->text(), QStringLiteral("Typed"));
    m_driver->then([](QDialog *dialog) { dialog->close(); });
    w->features().tracks->mnuNewRecord_Click();
    QVERIFY(!m_program->g.editor.iEditorOpen);
    QCOMPARE(m_program->g.catalogue.arTracks().count(), 0);
}

void tst_editor::unencodableTextIsConfirmed()
{
    start(QByteArray());
    const auto fill = [this] {
        ed()->txt[2]->setText(QStringLiteral("1"));
        ed()->txt[4]->setText(QStringLiteral("Café ☃ Кафе"));
    };
    m_answers->answer = MsgBox::No;
    m_driver->then([this, fill](QDialog *) {
        fill();
        ed()->Command1_Click();
        QVERIFY(ed()->isVisible());
        QCOMPARE(ed()->txt[4]->text(), QStringLiteral("Café ☃ Кафе"));
        m_answers->answer = MsgBox::Yes;
        ed()->Command1_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
    const auto messages = m_answers->messages();
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[0].text.contains(QStringLiteral("«Café ☃ Кафе» → «Cafe ? Кафе»")));
    QCOMPARE(messages[0].defaultButton, MsgBox::SecondButton);
    QCOMPARE(m_program->g.catalogue.arTracks().field(1, TrackRecord::Artist), QStringLiteral("Cafe ? Кафе"));
    QCOMPARE(lv(w)->itemText(0, 3), QStringLiteral("Cafe ? Кафе"));
}

void tst_editor::classicLook()
{
    start(QByteArray(), "[Settings]\r\nDisableXP=1\r\n");
    QVERIFY(VisualStyle::isClassic(ed()));
    QVERIFY(VisualStyle::isClassic(ed()->txt[4]));
    cleanup();
    start(QByteArray());
    QVERIFY(!VisualStyle::isClassic(ed()));
}

void tst_editor::longFieldsAreKeptWhole()
{
    // A box shows the start of a value longer than it can hold; the value is stored whole unless the box
    // is changed, and a change is stored only when the user agrees to lose what was not shown.
    const QByteArray longTitle = QByteArray(40000, 'x') + "END";
    start("CD\t1\t1\tA\t" + longTitle + "\tAlbum\r\n");
    lv(w)->setSelectedRow(0);
    m_driver->then([this](QDialog *) {
        QCOMPARE(ed()->txt[5]->text().size(), ed()->txt[5]->maxLength());
        ed()->txt[6]->setText(QStringLiteral("Other album"));
        ed()->Command1_Click();
    });
    w->EditCurent();
    QVERIFY(m_answers->messages().isEmpty());
    QCOMPARE(m_program->g.catalogue.arTracks().field(1, TrackRecord::Title), QString::fromLatin1(longTitle));
    QVERIFY(savedBase().contains(QString::fromLatin1("\t" + longTitle + "\tOther album\t")));

    // The long box changed: No keeps the editor open and the track as it was; Yes stores what is shown.
    m_answers->answer = MsgBox::No;
    m_driver->then([this](QDialog *) {
        ed()->txt[5]->setText(ed()->txt[5]->text().chopped(1) + QStringLiteral("!"));
        ed()->Command1_Click();
        QVERIFY(ed()->isVisible());
        QCOMPARE(m_answers->messages().size(), 1);
        QVERIFY(m_answers->messages().first().text.startsWith(
            QStringLiteral("Поле «Название» длиннее, чем может показать редактор: в нём 40003 символов")));
        m_answers->answer = MsgBox::Yes;
        ed()->Command1_Click();
    });
    w->EditCurent();
    const QString shown = QString(ed()->txt[5]->maxLength() - 1, QLatin1Char('x')) + QStringLiteral("!");
    QCOMPARE(m_program->g.catalogue.arTracks().field(1, TrackRecord::Title), shown);
    QVERIFY(savedBase().contains(QStringLiteral("\t") + shown + QStringLiteral("\tOther album\t")));

    // A paste past what a box holds through the context menu is cut and told (the paste key and the
    // middle button are pressed for real in the X display test).
    QGuiApplication::clipboard()->setText(QString(40000, QLatin1Char('p')));
    m_driver->then([this](QDialog *) {
        QLineEdit *comment = ed()->txt[boxOf(TrackRecord::Comment)];
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(1, 1));
        QApplication::sendEvent(comment, &menuKey);
        QVERIFY(comment->findChild<QMenu *>() && BoxPaste::pasteAction(comment->findChild<QMenu *>()));
        BoxPaste::pasteAction(comment->findChild<QMenu *>())->trigger();
        QCOMPARE(comment->text().size(), comment->maxLength());
        ed()->Command2_Click();
    });
    const auto before = m_answers->messages().size();
    w->EditCurent();
    const auto told = m_answers->messages().mid(before);
    QCOMPARE(told.size(), 1);
    QCOMPARE(told[0].text, QStringLiteral("Вставленный текст не поместился в поле «%1»: в нём 40000 символов, а в "
                                          "поле вошли только первые 32767.")
                               .arg(ed()->lbl[boxOf(TrackRecord::Comment)]->text()));
}

QTEST_MAIN(tst_editor)
#include "tst_editor.moc"
