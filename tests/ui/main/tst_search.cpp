#include "core/text/Cp1251.h"
#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/edit/frmAddEdit.h"
#include "ui/main/frmMain.h"
#include "ui/main/frmPesni.h"
#include "ui/main/frmPopup.h"
#include "ui/platform/ListView.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace MainParts;
using namespace TestSupport;

namespace {

const QString kDone = QStringLiteral("Поиск завершен! Найдено треков: ");

// A base file line, in the code page of the files.
QByteArray line(const QString &artist, const QString &title, const QByteArray &number)
{
    return "CD\t" + number + "\t1\t" + Cp1251::encode(artist) + "\t" + Cp1251::encode(title) +
           "\t\t\t\t\t\t\t\t\t\r\n";
}

void typeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

class tst_search : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void matching_data();
    void matching();
    void showAllAndEmptyBase();
    void titleOnlyWhenAllIsOff();
    void onlyTheNewestTextsRows();
    void optionsWindow();
    void searchBoxSelectsOnFocus();
    void completionInTheEditor();
    void completionKeepsValuesAcrossBases();
    void artistWindow();

private:
    void start(const QByteArray &base);
    void waitForSearch();
    QStringList shownArtists() const;

    std::unique_ptr<Session> m_session;
    Program *m_program = nullptr;
    frmMain *w = nullptr;
};

void tst_search::initTestCase()
{
    Twips::setPerPixelForTesting(15, 15);
}

void tst_search::start(const QByteArray &base)
{
    m_session = std::make_unique<Session>();
    QVERIFY(m_session->start(QStringLiteral("Main.dat"), base));
    m_program = m_session->program.get();
    w = m_program->main;
}

void tst_search::cleanup()
{
    const int stray = m_session ? m_session->finish() : 0;
    m_session.reset();
    QCOMPARE(stray, 0);
}

void tst_search::waitForSearch()
{
    QTRY_VERIFY_WITH_TIMEOUT(!w->features().search->isSearching(), 20000);
    QVERIFY(w->statusText().startsWith(kDone));
}

QStringList tst_search::shownArtists() const
{
    QStringList list;
    for (int row = 0; row < lv(w)->count(); ++row)
        list.append(lv(w)->itemText(row, 3));
    return list;
}

void tst_search::matching_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("artists");
    QTest::newRow("da") << "da" << QStringList{"Dance", "DANCE", "Armada", "Armada Two"};
    QTest::newRow("cyrillic against latin look-alikes") << "Сосо" << QStringList{"Сосо"};
    QTest::newRow("latin against cyrillic look-alikes") << "coco" << QStringList{"Coco"};
    QTest::newRow("cyrillic case") << "ёЖик" << QStringList{"ёжик", "ЁЖИК"};
    QTest::newRow("leading blank") << " da" << QStringList{};
    QTest::newRow("trailing blank") << "Armada " << QStringList{"Armada Two"};
    QTest::newRow("another field") << "Titled" << QStringList{"Coco"};
    QTest::newRow("nothing") << "zzz" << QStringList{};
}

void tst_search::matching()
{
    QFETCH(QString, text);
    QFETCH(QStringList, artists);
    start(line("Dance", "a", "1") + line("DANCE", "b", "2") + line("Armada", "c", "3") + line("Сосо", "d", "4") +
          line("Coco", "Titled", "5") + line("ёжик", "e", "6") +
          line("ЁЖИК", "f", "7") + line("Armada Two", "g", "8"));
    Text1(w)->setFocus();
    typeText(Text1(w), text);
    waitForSearch();
    QCOMPARE(shownArtists(), artists);
    QCOMPARE(w->statusText(), kDone + QString::number(artists.size()));
    // Every row points at its own track.
    for (int row = 0; row < lv(w)->count(); ++row)
        QCOMPARE(m_program->g.catalogue.arTracks().field(lv(w)->itemTag(row), TrackRecord::Artist),
                 lv(w)->itemText(row, 3));
    if (!artists.isEmpty()) {
        QCOMPARE(lv(w)->selectedRow(), lv(w)->count() - 1);
        QCOMPARE(m_program->addEdit->txt[4]->text(), artists.last());
    }
}

void tst_search::showAllAndEmptyBase()
{
    start(line("A", "a", "1") + line("B", "b", "2") + line("C", "c", "3"));
    Text1(w)->setText(QStringLiteral("b"));
    waitForSearch();
    QCOMPARE(lv(w)->count(), 1);
    QTest::mouseClick(button(w, "cmdFind"), Qt::LeftButton);
    QVERIFY(Text1(w)->text().isEmpty());
    QCOMPARE(shownArtists(), (QStringList{"A", "B", "C"}));
    QCOMPARE(w->statusText(), QStringLiteral("Загружено 3 треков"));
    w->features().search->Text1_Change();
    waitForSearch();
    QCOMPARE(w->statusText(), kDone + QStringLiteral("3"));

    cleanup();
    start(QByteArray());
    typeText(Text1(w), QStringLiteral("x"));
    waitForSearch();
    QCOMPARE(w->statusText(), kDone + QStringLiteral("0"));
    QCOMPARE(lv(w)->selectedRow(), -1);
    w->features().search->cmdFind_Click();
    QCOMPARE(lv(w)->count(), 0);
    QCOMPARE(w->statusText(), QStringLiteral("Загружено 0 треков"));
}

void tst_search::titleOnlyWhenAllIsOff()
{
    start(line("Moby", "Porcelain", "1") + line("Porcelain Band", "Other", "2"));
    frmPopup *popup = m_program->popup;
    Text1(w)->setText(QStringLiteral("porcelain"));
    waitForSearch();
    QCOMPARE(lv(w)->count(), 2);

    popup->chAll->click();
    waitForSearch();
    for (int f = 1; f <= 12; ++f) {
        QCOMPARE(popup->Ch[f]->isChecked(), f == 5);
        QVERIFY(popup->Ch[f]->isEnabled());
    }
    QCOMPARE(shownArtists(), QStringList{"Moby"});

    // Adding the artist box searches again at once.
    popup->Ch[4]->click();
    waitForSearch();
    QCOMPARE(lv(w)->count(), 2);

    popup->chAll->click();
    waitForSearch();
    for (int f = 1; f <= 12; ++f)
        QVERIFY(popup->Ch[f]->isChecked() && !popup->Ch[f]->isEnabled());
    QCOMPARE(popup->ChC[4]->text(), QStringLiteral("Исполнитель"));
}

void tst_search::onlyTheNewestTextsRows()
{
    // Large enough that a search is still running when the next key arrives.
    QByteArray base;
    for (int i = 0; i < 200000; ++i)
        base += line(i % 3 == 0 ? "Alpha" : i % 3 == 1 ? "Alpine" : "Beta", "t", QByteArray::number(i));
    start(base);
    Text1(w)->setFocus();
    typeText(Text1(w), QStringLiteral("alp"));
    waitForSearch();
    QCOMPARE(lv(w)->count(), 133334);
    for (int row = 0; row < lv(w)->count(); ++row)
        QVERIFY(lv(w)->itemText(row, 3).startsWith(QLatin1String("Alp")));

    // Typed fast: "alph" abandons "alp"'s rows even though both match.
    Text1(w)->setText(QStringLiteral("al"));
    typeText(Text1(w), QStringLiteral("ph"));
    waitForSearch();
    QCOMPARE(lv(w)->count(), 66667);
    QCOMPARE(w->statusText(), kDone + QStringLiteral("66667"));
    for (int row = 0; row < lv(w)->count(); ++row)
        QCOMPARE(lv(w)->itemText(row, 3), QStringLiteral("Alpha"));
}

void tst_search::optionsWindow()
{
    start(line("A", "a", "1"));
    QVERIFY(QTest::qWaitForWindowExposed(w));
    frmPopup *popup = m_program->popup;
    QTest::mouseClick(button(w, "cmdOptions"), Qt::LeftButton);
    QVERIFY(popup->isVisible());
    QVERIFY(!button(w, "cmdOptions")->isEnabled());
    const QPoint below = button(w, "cmdOptions")->mapToGlobal(QPoint(0, button(w, "cmdOptions")->height()));
    QVERIFY(qAbs(popup->pos().y() - below.y()) <= 2);
    QVERIFY(qAbs(popup->pos().x() - below.x()) <= 2);
    // Losing the focus closes it; the boxes keep their state.
    popup->chAll->click();
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(popup, &deactivate);
    QVERIFY(!popup->isVisible());
    QVERIFY(button(w, "cmdOptions")->isEnabled());
    QVERIFY(!popup->chAll->isChecked());
    waitForSearch();
}

void tst_search::searchBoxSelectsOnFocus()
{
    start(line("A", "a", "1"));
    QVERIFY(QTest::qWaitForWindowActive(w));
    Text1(w)->setText(QStringLiteral("abc"));
    waitForSearch();
    lv(w)->setFocus();
    Text1(w)->setFocus();
    QTRY_COMPARE(Text1(w)->selectedText(), QStringLiteral("abc"));
}

void tst_search::completionInTheEditor()
{
    start(line("Mirela", "a", "1") + line("Mitra Sound", "b", "2"));
    m_session->driver.then([this](QDialog *) {
        QLineEdit *artist = m_program->addEdit->txt[4];
        artist->setFocus();
        QTest::keyClicks(artist, QStringLiteral("mi"));
        QCOMPARE(artist->text(), QStringLiteral("Mitra Sound"));
        QCOMPARE(artist->selectionStart(), 2);
        QCOMPARE(artist->selectedText(), QStringLiteral("tra Sound"));
        QTest::keyClick(artist, Qt::Key_R);
        QCOMPARE(artist->text(), QStringLiteral("Mirela"));
        QCOMPARE(artist->selectedText(), QStringLiteral("ela"));
        // Backspace removes the proposal and is not completed again; the next letter is.
        QTest::keyClick(artist, Qt::Key_Backspace);
        QCOMPARE(artist->text(), QStringLiteral("Mir"));
        QTest::keyClick(artist, Qt::Key_E);
        QCOMPARE(artist->text(), QStringLiteral("Mirela"));
        // The title has no completion.
        QLineEdit *title = m_program->addEdit->txt[5];
        title->setFocus();
        QTest::keyClicks(title, QStringLiteral("m"));
        QCOMPARE(title->text(), QStringLiteral("M"));
        m_program->addEdit->Command2_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
}

void tst_search::completionKeepsValuesAcrossBases()
{
    start(line("Nova", "a", "1"));
    writeBytes(m_session->folder.data(QStringLiteral("Other.dat")), line("NOVA Lite", "b", "1"));
    m_program->g.paths.sBaseFile = QStringLiteral("Other.dat");
    w->LoadCurentH();
    const QStringList artists = m_program->g.catalogue.colAutoComplete().values(4);
    QCOMPARE(artists, (QStringList{"Nova", "NOVA Lite"}));
    // A value stored by the editor joins the list, in the case it was typed.
    m_session->driver.then([this](QDialog *) {
        m_program->addEdit->AutoDisable = true;
        m_program->addEdit->txt[2]->setText(QStringLiteral("9"));
        m_program->addEdit->txt[4]->setText(QStringLiteral("nova"));
        m_program->addEdit->txt[9]->setText(QStringLiteral("House"));
        m_program->addEdit->Command1_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
    QCOMPARE(m_program->g.catalogue.colAutoComplete().values(4).size(), 2);
    QCOMPARE(m_program->g.catalogue.colAutoComplete().values(9), QStringList{"House"});
}

void tst_search::artistWindow()
{
    start(line("Moby", "Porcelain", "3") + line("MOBY", "Flower", "4") + line("Moby ", "Other", "5") +
          line("Mobyx", "No", "6"));
    QStringList shown;
    m_session->driver.then([&](QDialog *) {
        m_program->addEdit->AutoDisable = true;
        m_program->addEdit->txt[4]->setText(QStringLiteral("moby"));
        m_session->driver.then([&](QDialog *window) {
            auto *pesni = qobject_cast<frmPesni *>(window);
            QVERIFY(pesni);
            QCOMPARE(pesni->windowTitle(), QStringLiteral("Список треков текущего исполнителя"));
            for (int row = 0; row < pesni->lv2->count(); ++row) {
                QStringList texts;
                for (int c = 0; c < 5; ++c)
                    texts << pesni->lv2->itemText(row, c);
                shown << texts.join(QLatin1Char('|'));
            }
            window->close();
        });
        QTest::mouseClick(m_program->addEdit->Command7, Qt::LeftButton);
        m_program->addEdit->Command2_Click();
    });
    w->features().tracks->mnuNewRecord_Click();
    QCOMPARE(shown, (QStringList{"1|Porcelain|||CD #3", "2|Flower|||CD #4"}));
}

QTEST_MAIN(tst_search)
#include "tst_search.moc"
