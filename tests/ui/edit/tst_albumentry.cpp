// Whole CDs: the album dialog drives the track editor once per track, with the shared fields locked; the
// lookup dialog shows the lookup control's events and tells the album dialog whether to use its data.
#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/edit/CddbControl.h"
#include "ui/edit/frmAddAlbum.h"
#include "ui/edit/frmAddEdit.h"
#include "ui/edit/frmCDDB.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace MainParts;
using namespace TestSupport;

class tst_albumentry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void threeTracksWithoutCddb();
    void cancelledTrackIsSkipped();
    void trackCountIsRounded_data();
    void trackCountIsRounded();
    void nothingToEnter();
    void newAlbumEmptiesTheDialog();
    void lookupEvents();
    void stoppedLookupIsNotUsed();

private:
    frmAddAlbum *album() const { return m_program->addAlbum; }
    frmAddEdit *ed() const { return m_program->addEdit; }
    frmCDDB *lookupDialog() const { return m_program->cddbDialog; }
    // Fills the album dialog: number of tracks, media number, album, date, label.
    void fillAlbum(const QString &count, const QString &mediaNumber, const QString &albumName = QString(),
                   const QString &date = QString(), const QString &label = QString());
    // Queues `count` editor openings, each answered by `step` with its track number.
    void thenTracks(int count, const std::function<void(int track)> &step);
    QList<QByteArray> savedLines() const
    {
        QList<QByteArray> lines = readBytes(m_session->folder.data(QStringLiteral("Main.dat"))).split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }

    std::unique_ptr<Session> m_session;
    Program *m_program = nullptr;
    frmMain *w = nullptr;
};

void tst_albumentry::init()
{
    Twips::setPerPixelForTesting(15, 15);
    m_session = std::make_unique<Session>();
    QVERIFY(m_session->start(QStringLiteral("Main.dat"), QByteArray()));
    m_program = m_session->program.get();
    w = m_program->main;
}

void tst_albumentry::cleanup()
{
    const int stray = m_session ? m_session->finish() : 0;
    m_session.reset();
    QCOMPARE(stray, 0);
}

void tst_albumentry::fillAlbum(const QString &count, const QString &mediaNumber, const QString &albumName,
                               const QString &date, const QString &label)
{
    album()->txt[0]->setText(count);
    album()->txt[boxOf(TrackRecord::MediaNumber)]->setText(mediaNumber);
    album()->txt[boxOf(TrackRecord::Album)]->setText(albumName);
    album()->txt[boxOf(TrackRecord::Date)]->setText(date);
    album()->txt[boxOf(TrackRecord::Label)]->setText(label);
}

void tst_albumentry::thenTracks(int count, const std::function<void(int track)> &step)
{
    for (int track = 1; track <= count; ++track)
        m_session->driver.then([step, track](QDialog *) { step(track); });
}

void tst_albumentry::threeTracksWithoutCddb()
{
    m_session->driver.then([this](QDialog *dialog) {
        QCOMPARE(dialog, album());
        fillAlbum(QStringLiteral("3"), QStringLiteral("7"), QStringLiteral("Play"), QStringLiteral("02.04.2024"),
                  QStringLiteral("Mute"));
        QTest::mouseClick(album()->Command1, Qt::LeftButton);
        QVERIFY(!album()->isVisible());
    });
    thenTracks(3, [this](int track) {
        QVERIFY(ed()->isVisible());
        QVERIFY(m_program->g.iAddMode);
        QCOMPARE(ed()->txt1->currentText(), QStringLiteral("CD"));
        QCOMPARE(ed()->txt[boxOf(TrackRecord::MediaNumber)]->text(), QStringLiteral("7"));
        QCOMPARE(ed()->txt[boxOf(TrackRecord::TrackNumber)]->text(), QString::number(track));
        QCOMPARE(ed()->txt[boxOf(TrackRecord::Album)]->text(), QStringLiteral("Play"));
        QCOMPARE(ed()->txt[boxOf(TrackRecord::Date)]->text(), QStringLiteral("02.04.2024"));
        QCOMPARE(ed()->txt[boxOf(TrackRecord::Label)]->text(), QStringLiteral("Mute"));
        QCOMPARE(ed()->txt[boxOf(TrackRecord::Artist)]->text(), QString());
        // The shared fields are locked; the track's own are free.
        for (const TrackRecord::Field field : {TrackRecord::MediaNumber, TrackRecord::TrackNumber, TrackRecord::Album,
                                               TrackRecord::Date, TrackRecord::Label})
            QVERIFY(!ed()->txt[boxOf(field)]->isEnabled());
        QVERIFY(!ed()->txt1->isEnabled() && !ed()->Command3->isEnabled() && !ed()->Command6->isEnabled());
        QVERIFY(ed()->txt[boxOf(TrackRecord::Artist)]->isEnabled());
        ed()->txt[boxOf(TrackRecord::Artist)]->setText(QStringLiteral("Moby"));
        ed()->txt[boxOf(TrackRecord::Title)]->setText(QStringLiteral("Song %1").arg(track));
        QTest::mouseClick(ed()->Command1, Qt::LeftButton);
    });
    action(w, "mnuNewAlbum")->trigger();

    QCOMPARE(m_session->driver.shown, 4);
    QCOMPARE(savedLines(), (QList<QByteArray>{"CD\t7\t1\tMoby\tSong 1\tPlay\t\t02.04.2024\t\tMute\t\t\t\t\r",
                                              "CD\t7\t2\tMoby\tSong 2\tPlay\t\t02.04.2024\t\tMute\t\t\t\t\r",
                                              "CD\t7\t3\tMoby\tSong 3\tPlay\t\t02.04.2024\t\tMute\t\t\t\t\r"}));
    QCOMPARE(lv(w)->count(), 3);
    // Later single tracks are typed with every field free again.
    for (const TrackRecord::Field field : {TrackRecord::MediaNumber, TrackRecord::TrackNumber, TrackRecord::Album,
                                           TrackRecord::Date, TrackRecord::Label})
        QVERIFY(ed()->txt[boxOf(field)]->isEnabled());
    QVERIFY(ed()->txt1->isEnabled() && ed()->Command3->isEnabled() && ed()->Command6->isEnabled());
    QVERIFY(!m_program->g.iEditorOpen);
    QCOMPARE(action(w, "mnuNewAlbum")->shortcut(), QKeySequence(Qt::Key_F4));
}

void tst_albumentry::cancelledTrackIsSkipped()
{
    m_session->driver.then([this](QDialog *) {
        fillAlbum(QStringLiteral("3"), QStringLiteral("2"));
        album()->Command1_Click();
    });
    thenTracks(3, [this](int track) {
        ed()->txt[boxOf(TrackRecord::Artist)]->setText(QStringLiteral("Artist %1").arg(track));
        if (track == 2) {
            // Closing the editor (its frame or Esc) skips the track as "Отмена" does.
            ed()->reject();
            return;
        }
        ed()->Command1_Click();
    });
    action(w, "mnuNewAlbum")->trigger();
    const auto lines = savedLines();
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].startsWith("CD\t2\t1\tArtist 1\t"));
    QVERIFY(lines[1].startsWith("CD\t2\t3\tArtist 3\t"));
}

void tst_albumentry::trackCountIsRounded_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("tracks");
    QTest::newRow("2.5") << "2.5" << 2;
    QTest::newRow("3.5") << "3.5" << 4;
}

void tst_albumentry::trackCountIsRounded()
{
    QFETCH(QString, count);
    QFETCH(int, tracks);
    m_session->driver.then([this, count](QDialog *) {
        fillAlbum(count, QStringLiteral("1"));
        album()->Command1_Click();
    });
    int opened = 0;
    thenTracks(tracks, [this, &opened](int) {
        ++opened;
        ed()->Command2_Click();
    });
    action(w, "mnuNewAlbum")->trigger();
    QCOMPARE(opened, tracks);
    QVERIFY(savedLines().isEmpty());
}

void tst_albumentry::nothingToEnter()
{
    // No number of tracks, no media number, more tracks than a CD holds: the editor never opens.
    m_session->driver.then([this](QDialog *) {
        fillAlbum(QStringLiteral("0"), QStringLiteral("1"));
        album()->Command1_Click();
        fillAlbum(QStringLiteral("x"), QStringLiteral("1"));
        album()->Command1_Click();
        fillAlbum(QStringLiteral("3"), QString());
        album()->Command1_Click();
        QVERIFY(album()->isVisible());
        QVERIFY(m_session->answers.messages().isEmpty());
        fillAlbum(QStringLiteral("150"), QStringLiteral("1"));
        album()->Command1_Click();
        QCOMPARE(m_session->answers.messages().size(), 1);
        QVERIFY(m_session->answers.messages()[0].text.contains(QStringLiteral("99")));
        QVERIFY(album()->isVisible());
        QTest::mouseClick(album()->Command2, Qt::LeftButton);
    });
    action(w, "mnuNewAlbum")->trigger();
    QCOMPARE(m_session->driver.shown, 1);
    QVERIFY(!m_program->g.iAddMode);
}

void tst_albumentry::newAlbumEmptiesTheDialog()
{
    m_session->driver.then([this](QDialog *) {
        fillAlbum(QStringLiteral("5"), QStringLiteral("9"), QStringLiteral("Old"), QStringLiteral("01.01.2000"),
                  QStringLiteral("Old label"));
        album()->setLookup(frmAddAlbum::Lookup::Failed);
        album()->Command3_Click();
        QCOMPARE(album()->txt[boxOf(TrackRecord::Date)]->text(), QDate::currentDate().toString(u"dd.MM.yyyy"));
        album()->Command2_Click();
    });
    m_session->driver.then([this](QDialog *) {
        for (int i : {0, 2, 6, 8, 10})
            QCOMPARE(album()->txt[i]->text(), QString());
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::None);
        album()->Command2_Click();
    });
    action(w, "mnuNewAlbum")->trigger();
    button(w, "Command7")->click();
    QCOMPARE(m_session->driver.shown, 2);

    // Nothing opens while the editor is open.
    m_program->g.iEditorOpen = true;
    action(w, "mnuNewAlbum")->trigger();
    QCOMPARE(m_session->driver.shown, 2);
    m_program->g.iEditorOpen = false;
}

void tst_albumentry::lookupEvents()
{
    CddbControl *control = lookupDialog()->CDDB1;
    m_session->driver.then([this](QDialog *) {
        QTest::mouseClick(album()->Command4, Qt::LeftButton);
        // Back in the album dialog: the failed lookup's colour stays until the next album.
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Failed);
        album()->Command2_Click();
    });
    m_session->driver.then([this, control](QDialog *dialog) {
        QCOMPARE(dialog, lookupDialog());
        QVERIFY(lookupDialog()->Command2->isEnabled());
        QVERIFY(!lookupDialog()->Label2->isVisible());
        lookupDialog()->Command2_Click();
        // Started: the data are to be used, unless the lookup fails.
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Used);
        QVERIFY(!lookupDialog()->Command2->isEnabled());
        QVERIFY(lookupDialog()->Label2->isVisible());

        Q_EMIT control->connected();
        QCOMPARE(lookupDialog()->logText(), QStringLiteral("*** Connected ***\r\n\r\n"));
        Q_EMIT control->lineReceived(QStringLiteral("201 server ready"));
        QCOMPARE(lookupDialog()->logText(), QStringLiteral("*** Connected ***\r\n\r\n201 server ready\r\n"));
        // "202": no such disc. The lookup failed; the dialog stays to try again.
        Q_EMIT control->lineReceived(QStringLiteral("202 No match for disc ID 0a0b0c0d."));
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Failed);
        QCOMPARE(lookupDialog()->logText(), frmCDDB::kFailureText);
        QVERIFY(lookupDialog()->Command2->isEnabled());
        QVERIFY(!lookupDialog()->Label2->isVisible());
        Q_EMIT control->disconnected();
        QCOMPARE(lookupDialog()->logText(), frmCDDB::kFailureText + QStringLiteral("\r\n*** Disconnected ***\r\n"));
        Q_EMIT control->finished(false);
        QVERIFY(lookupDialog()->isVisible());
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Failed);

        // A refusal: the server's line and the hint follow the failure text.
        lookupDialog()->Command2_Click();
        Q_EMIT control->failure(431, QStringLiteral("431 No such user\r\nУкажите адрес."));
        QCOMPARE(lookupDialog()->logText(),
                 frmCDDB::kFailureText + QStringLiteral("\r\n431 No such user\r\nУкажите адрес."));
        Q_EMIT control->finished(false);
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Failed);

        // Idle, "Отмена" closes it; the next use starts with an empty log.
        QTest::mouseClick(lookupDialog()->Command1, Qt::LeftButton);
        QVERIFY(!lookupDialog()->isVisible());
        QCOMPARE(lookupDialog()->logText(), QString());
    });
    action(w, "mnuNewAlbum")->trigger();
    QCOMPARE(m_session->driver.shown, 2);
}

void tst_albumentry::stoppedLookupIsNotUsed()
{
    CddbControl *control = lookupDialog()->CDDB1;
    m_session->driver.then([this](QDialog *) {
        fillAlbum(QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("Typed"));
        QTest::mouseClick(album()->Command4, Qt::LeftButton);
        // No album box changed, and no CDDB data go into the tracks.
        QCOMPARE(album()->txt[boxOf(TrackRecord::Album)]->text(), QStringLiteral("Typed"));
        QCOMPARE(album()->txt[0]->text(), QStringLiteral("4"));
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Failed);
        album()->Command2_Click();
    });
    m_session->driver.then([this, control](QDialog *) {
        lookupDialog()->Command2_Click();
        Q_EMIT control->connected();
        // "Отмена" while it runs stops it; the dialog stays.
        QTest::mouseClick(lookupDialog()->Command1, Qt::LeftButton);
        QVERIFY(lookupDialog()->isVisible());
        Q_EMIT control->finished(false);
        QVERIFY(lookupDialog()->isVisible());
        QVERIFY(lookupDialog()->Command2->isEnabled());
        QVERIFY(lookupDialog()->logText().endsWith(QStringLiteral("Поиск остановлен.")));
        QTest::mouseClick(lookupDialog()->Command1, Qt::LeftButton);
    });
    action(w, "mnuNewAlbum")->trigger();
    QCOMPARE(m_session->driver.shown, 2);
}

QTEST_MAIN(tst_albumentry)
#include "tst_albumentry.moc"
