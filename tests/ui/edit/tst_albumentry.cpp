// Whole CDs: the album dialog drives the track editor once per track, with the shared fields locked; the
// lookup dialog shows the lookup control's events and tells the album dialog whether to use its data.
#include "core/cddb/CddbLog.h"
#include "support/FakeCddbServer.h"
#include "support/FakeMusicBrainzServer.h"
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
    void lookupFillsTheTracks();
    void musicBrainzFillsTheTracks();
    void lookupWithoutDisc();
    void stoppedLookupIsNotUsed();
    void logKeepsItsLastLines();

private:
    frmAddAlbum *album() const { return m_program->addAlbum; }
    frmAddEdit *ed() const { return m_program->addEdit; }
    frmCDDB *lookupDialog() const { return m_program->cddbDialog; }
    // Fills the album dialog: number of tracks, media number, album, date, label.
    void fillAlbum(const QString &count, const QString &mediaNumber, const QString &albumName = QString(),
                   const QString &date = QString(), const QString &label = QString());
    // Points the lookup at `server`, with `disc` in the drive "/dev/test".
    void useServer(FakeCddbServer &server, const DiscToc &disc);
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
        QVERIFY(m_program->g.editor.iAddMode);
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
    QVERIFY(!m_program->g.editor.iEditorOpen);
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
    QVERIFY(!m_program->g.editor.iAddMode);
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
        QCOMPARE(album()->Command4->accessibleDescription(), QStringLiteral("Поиск в CDDB не выполнялся"));
        album()->Command2_Click();
    });
    action(w, "mnuNewAlbum")->trigger();
    button(w, "Command7")->click();
    QCOMPARE(m_session->driver.shown, 2);

    // Nothing opens while the editor is open.
    m_program->g.editor.iEditorOpen = true;
    action(w, "mnuNewAlbum")->trigger();
    QCOMPARE(m_session->driver.shown, 2);
    m_program->g.editor.iEditorOpen = false;
}

namespace {

// A disc of twelve tracks of 200 seconds each, and its entry: the disc's artist, the title of each track
// (the second with a " - " of its own, the third with a character the code page cannot hold), the genre
// and, in the extended data, the label.
DiscToc twelveTracks()
{
    DiscToc disc;
    for (int track = 0; track < 12; ++track)
        disc.frameOffsets.append(150 + track * 15000);
    disc.leadout = 150 + 12 * 15000;
    return disc;
}

QByteArray twelveTrackEntry(const DiscToc &disc)
{
    QByteArray entry = "210 misc " + disc.discIdText().toLatin1() +
                       " CD database entry follows\r\n"
                       "DISCID=" +
                       disc.discIdText().toLatin1() +
                       "\r\n"
                       "DTITLE=Moby / Play\r\nDYEAR=1999\r\nDGENRE=Electronic\r\n";
    for (int track = 0; track < 12; ++track) {
        const QByteArray title = track == 0   ? QByteArray("Honey")
                                 : track == 1 ? QByteArray("Porcelain - Remix")
                                 : track == 2 ? QByteArray("Snow \xE2\x98\x83")
                                              : "Song " + QByteArray::number(track + 1);
        entry += "TTITLE" + QByteArray::number(track) + "=" + title + "\r\n";
    }
    return entry + "EXTD=Recorded 1998.\\nLabel: Mute\r\nPLAYORDER=\r\n.\r\n";
}

} // namespace

void tst_albumentry::useServer(FakeCddbServer &server, const DiscToc &disc)
{
    CddbControl *control = m_program->cddb;
    control->setSettings({QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("dj@example.org"), 10000});
    control->setTocReader([disc](const QString &drive, QList<int> &offsets, int &leadout, QString *) {
        offsets = disc.frameOffsets;
        leadout = disc.leadout;
        return drive == QLatin1String("/dev/test");
    });
    lookupDialog()->txt1->addItem(QStringLiteral("/dev/test"));
    lookupDialog()->txt1->setCurrentIndex(0);
}

void tst_albumentry::lookupFillsTheTracks()
{
    const DiscToc disc = twelveTracks();
    FakeCddbServer server;
    server.replies[QByteArrayLiteral("cddb query")] = "200 misc " + disc.discIdText().toLatin1() + " Moby / Play\r\n";
    server.replies[QByteArrayLiteral("cddb read")] = twelveTrackEntry(disc);
    useServer(server, disc);
    m_session->answers.answer = MsgBox::Yes; // the editor asks about the character it cannot store

    m_session->driver.then([this](QDialog *) {
        fillAlbum(QString(), QStringLiteral("5"), QStringLiteral("Typed"));
        QTest::mouseClick(album()->Command4, Qt::LeftButton);
        // The lookup found the disc: its album, label and number of tracks, and its data are to be used.
        QCOMPARE(album()->txt[0]->text(), QStringLiteral("12"));
        QCOMPARE(album()->txt[boxOf(TrackRecord::Album)]->text(), QStringLiteral("Play"));
        QCOMPARE(album()->txt[boxOf(TrackRecord::Label)]->text(), QStringLiteral("Mute"));
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Used);
        QCOMPARE(album()->Command4->accessibleDescription(),
                 QStringLiteral("Диск найден в CDDB, его данные будут использованы"));
        // The boxes show the looked-up texts from their start.
        QCOMPARE(album()->txt[boxOf(TrackRecord::Album)]->cursorPosition(), 0);
        QCOMPARE(album()->txt[boxOf(TrackRecord::Label)]->cursorPosition(), 0);
        // One track more than the disc has.
        album()->txt[0]->setText(QStringLiteral("13"));
        album()->Command1_Click();
    });
    m_session->driver.then([this](QDialog *dialog) {
        QCOMPARE(dialog, lookupDialog());
        lookupDialog()->Command2_Click();
        QVERIFY(lookupDialog()->Label2->isVisible());
        QCOMPARE(album()->Command4->accessibleDescription(), QStringLiteral("Идёт поиск диска в CDDB"));
        QTRY_VERIFY2(!lookupDialog()->isVisible(), qPrintable(lookupDialog()->logText()));
        QVERIFY(lookupDialog()->Command2->isEnabled());
    });
    thenTracks(13, [this](int track) {
        const auto box = [this](TrackRecord::Field field) { return ed()->txt[boxOf(field)]->text(); };
        QCOMPARE(box(TrackRecord::Album), QStringLiteral("Play"));
        if (track == 13) {
            // The disc has no such track: nothing of the disc's is put into it.
            QCOMPARE(box(TrackRecord::Artist) + box(TrackRecord::Duration) + box(TrackRecord::Style), QString());
            return ed()->Command2_Click();
        }
        QCOMPARE(box(TrackRecord::Artist), QStringLiteral("Moby"));
        if (track == 2)
            QCOMPARE(box(TrackRecord::Title), QStringLiteral("Porcelain - Remix"));
        QCOMPARE(box(TrackRecord::Duration), QStringLiteral("3:20"));
        QCOMPARE(box(TrackRecord::Style), QStringLiteral("Electronic"));
        ed()->Command1_Click();
    });
    action(w, "mnuNewAlbum")->trigger();

    QCOMPARE(m_session->driver.shown, 15);
    const auto lines = savedLines();
    QCOMPARE(lines.size(), 12);
    QCOMPARE(lines[0], QByteArray("CD\t5\t1\tMoby\tHoney\tPlay\t3:20\t\tElectronic\tMute\t\t\t\t\r"));
    QVERIFY(lines[1].startsWith("CD\t5\t2\tMoby\tPorcelain - Remix\t"));
    // The character the code page cannot hold was shown to the user, then stored as base files store it.
    QVERIFY(lines[2].startsWith("CD\t5\t3\tMoby\tSnow ?\t"));
    QCOMPARE(m_session->answers.messages().size(), 1);
}

void tst_albumentry::musicBrainzFillsTheTracks()
{
    // The same lookup answered by the MusicBrainz service: each track's own artist credit, no length where
    // the service knows none.
    FakeCddbServer unused;
    useServer(unused, CddbEntries::album());
    FakeMusicBrainzServer server;
    m_program->cddb->setSettings({QStringLiteral("127.0.0.1"), 1, QString(), 10000, true, server.url()});
    server.byDiscId = httpAnswer(200, R"({"releases":[{"title":"Огни большого города","artist-credit":[{"name":
        "Северный ветер"}],"label-info":[{"label":{"name":"Мелодия"}}],"genres":[{"name":"rock"}],"media":[{"tracks":[
        {"title":"Вступление","recording":{"length":243400}},{"title":"Гимн","artist-credit":[{"name":"Гость",
        "joinphrase":" и "},{"name":"Хор"}]},{"title":"Три"},{"title":"Четыре"}]}]}]})");
    m_session->driver.then([this](QDialog *) {
        fillAlbum(QString(), QStringLiteral("5"), QStringLiteral("Typed"));
        QTest::mouseClick(album()->Command4, Qt::LeftButton);
        QCOMPARE(album()->txt[0]->text(), QStringLiteral("4"));
        QCOMPARE(album()->txt[boxOf(TrackRecord::Album)]->text(), QStringLiteral("Огни большого города"));
        QCOMPARE(album()->txt[boxOf(TrackRecord::Label)]->text(), QStringLiteral("Мелодия"));
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Used);
        album()->txt[0]->setText(QStringLiteral("2"));
        album()->Command1_Click();
    });
    m_session->driver.then([this](QDialog *) {
        lookupDialog()->Command2_Click();
        QTRY_VERIFY2(!lookupDialog()->isVisible(), qPrintable(lookupDialog()->logText()));
    });
    thenTracks(2, [this](int track) {
        const auto box = [this](TrackRecord::Field field) { return ed()->txt[boxOf(field)]->text(); };
        const QString expected = track == 1 ? QStringLiteral("Северный ветер|Вступление|4:03|rock")
                                            : QStringLiteral("Гость и Хор|Гимн||rock");
        QCOMPARE(box(TrackRecord::Artist) + '|' + box(TrackRecord::Title) + '|' + box(TrackRecord::Duration) + '|' +
                     box(TrackRecord::Style),
                 expected);
        ed()->Command2_Click();
    });
    QSignalSpy lines(m_program->cddb, &CddbControl::lineReceived); // the log's lines
    action(w, "mnuNewAlbum")->trigger();
    QCOMPARE(m_session->driver.shown, 4);
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines[0][0].toString().startsWith(QStringLiteral("MusicBrainz ") + server.url() +
                                              QStringLiteral(": HTTP 200")));
}

void tst_albumentry::lookupWithoutDisc()
{
    // The server has no such disc: the dialog stays with the failure text, the album boxes are not touched,
    // and the tracks get no CDDB data.
    FakeCddbServer server;
    server.replies[QByteArrayLiteral("cddb query")] = "202 No match for disc ID 2903a304.\r\n";
    useServer(server, CddbEntries::album());
    m_session->driver.then([this](QDialog *) {
        fillAlbum(QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("Typed"));
        QTest::mouseClick(album()->Command4, Qt::LeftButton);
        QCOMPARE(album()->txt[boxOf(TrackRecord::Album)]->text(), QStringLiteral("Typed"));
        QCOMPARE(album()->txt[0]->text(), QStringLiteral("1"));
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Failed);
        album()->Command1_Click();
    });
    m_session->driver.then([this](QDialog *) {
        lookupDialog()->Command2_Click();
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Used);
        QTRY_VERIFY(lookupDialog()->logText().endsWith(QStringLiteral("*** Disconnected ***\r\n")));
        QVERIFY2(lookupDialog()->logText().startsWith(frmCDDB::kFailureText + QStringLiteral("\r\n202 No match")),
                 qPrintable(lookupDialog()->logText()));
        QVERIFY(lookupDialog()->isVisible());
        QVERIFY(lookupDialog()->Command2->isEnabled());
        QVERIFY(!lookupDialog()->Label2->isVisible());
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Failed);
        QCOMPARE(album()->Command4->accessibleDescription(), frmCDDB::kFailureText);
        // Idle, "Отмена" closes the dialog; its next use starts with an empty log.
        QTest::mouseClick(lookupDialog()->Command1, Qt::LeftButton);
        QVERIFY(!lookupDialog()->isVisible());
        QCOMPARE(lookupDialog()->logText(), QString());
    });
    thenTracks(1, [this](int) {
        QCOMPARE(ed()->txt[boxOf(TrackRecord::Artist)]->text(), QString());
        QCOMPARE(ed()->txt[boxOf(TrackRecord::Duration)]->text(), QString());
        ed()->Command2_Click();
    });
    action(w, "mnuNewAlbum")->trigger();
    QCOMPARE(m_session->driver.shown, 3);
}

void tst_albumentry::stoppedLookupIsNotUsed()
{
    // The server never answers the query; "Отмена" stops the lookup and the dialog stays.
    FakeCddbServer server;
    server.replies.remove(QByteArrayLiteral("cddb query"));
    useServer(server, CddbEntries::album());
    m_session->driver.then([this](QDialog *) {
        fillAlbum(QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("Typed"));
        QTest::mouseClick(album()->Command4, Qt::LeftButton);
        QCOMPARE(album()->txt[boxOf(TrackRecord::Album)]->text(), QStringLiteral("Typed"));
        QCOMPARE(album()->txt[0]->text(), QStringLiteral("4"));
        QCOMPARE(album()->lookup(), frmAddAlbum::Lookup::Failed);
        album()->Command2_Click();
    });
    m_session->driver.then([this, &server](QDialog *) {
        lookupDialog()->Command2_Click();
        QTRY_VERIFY(!server.received.isEmpty() && server.received.last().startsWith("cddb query"));
        QVERIFY(lookupDialog()->logText().startsWith(QStringLiteral("*** Connected ***\r\n\r\n201 cddb.test")));
        QTest::mouseClick(lookupDialog()->Command1, Qt::LeftButton);
        QVERIFY(lookupDialog()->isVisible());
        QTRY_VERIFY(lookupDialog()->Command2->isEnabled());
        QVERIFY(lookupDialog()->logText().endsWith(QStringLiteral("Поиск остановлен.")));
        QVERIFY(lookupDialog()->isVisible());
        QTest::mouseClick(lookupDialog()->Command1, Qt::LeftButton);
    });
    action(w, "mnuNewAlbum")->trigger();
    QCOMPARE(m_session->driver.shown, 2);
}

void tst_albumentry::logKeepsItsLastLines()
{
    // Thousands of matches with control characters in them: the log keeps the last lines, the characters
    // shown as symbols.
    FakeCddbServer server;
    QByteArray list = "211 close\r\n";
    for (int i = 0; i < 3000; ++i)
        list += "misc 2903a304 Disc " + QByteArray::number(i) + QByteArray("\x01\x00\x1b[31m\x7f", 8) + "\r\n";
    server.replies[QByteArrayLiteral("cddb query")] = list + ".\r\n";
    useServer(server, CddbEntries::album());
    m_session->driver.then([this](QDialog *) {
        QTest::mouseClick(album()->Command4, Qt::LeftButton);
        album()->Command2_Click();
    });
    m_session->driver.then([this](QDialog *) {
        lookupDialog()->Command2_Click();
        QTRY_VERIFY(lookupDialog()->Command2->isEnabled());
        QTest::mouseClick(lookupDialog()->Command1, Qt::LeftButton);
    });
    m_session->driver.then([this](QDialog *matches) {
        const QString log = lookupDialog()->logText();
        QCOMPARE(log.count(QStringLiteral("\r\n")), CddbLog::kMaxLines - 1);
        QVERIFY2(log.endsWith(QStringLiteral("Disc 2999␁␀␛[31m␡\r\n.\r\n")), qPrintable(log.right(100)));
        QTRY_COMPARE(lookupDialog()->Text1->toPlainText(),
                     QString(log).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        matches->reject();
    });
    action(w, "mnuNewAlbum")->trigger();
    QCOMPARE(m_session->driver.shown, 3);
}

QTEST_MAIN(tst_albumentry)
#include "tst_albumentry.moc"
