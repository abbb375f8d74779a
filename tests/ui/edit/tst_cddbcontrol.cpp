// The CDDB control against a CDDB server of the test's own on 127.0.0.1 answering from canned entries: the
// lookups that find a disc, the picks among several, every way a lookup fails (refusals, errors, silence,
// garbage), stopping at each step, the settings, the drive list, and the disc id checked against libdiscid.
// The same control asking the MusicBrainz web service: a plain HTTP server of the test's own.
#include "support/CddbEntries.h"
#include "support/FakeCddbServer.h"
#include "support/FakeMusicBrainzServer.h"
#include "ui/edit/CdDrive.h"
#include "ui/edit/CddbControl.h"
#include "ui/edit/MusicBrainzLookup.h"
#include "ui/platform/Modal.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <discid/discid.h>
#include <linux/cdrom.h>

namespace {

// The control's signals in order: "connected", "line <text>", "disconnected", "failure <code> <text>",
// "finished <0|1>".
struct Recorder
{
    explicit Recorder(CddbControl &c)
    {
        QObject::connect(&c, &CddbControl::connected, [this] { events << "connected"; });
        QObject::connect(&c, &CddbControl::lineReceived, [this](const QString &l) { events << "line " + l; });
        QObject::connect(&c, &CddbControl::disconnected, [this] { events << "disconnected"; });
        QObject::connect(&c, &CddbControl::failure, [this](int code, const QString &text) {
            events << QString("failure %1 %2").arg(code).arg(text);
        });
        QObject::connect(&c, &CddbControl::finished, [this](bool ok) { events << QString("finished %1").arg(ok); });
    }
    bool finished() const { return !events.isEmpty() && events.last().startsWith("finished"); }
    // The signals after the lines.
    QStringList ending() const
    {
        QStringList e = events;
        e.removeIf([](const QString &s) { return s.startsWith("line ") || s == "connected"; });
        return e;
    }
    QStringList events;
};

// A control set up for `server`, reading `disc` from the drive "/dev/test". The timeout is short only for
// the tests of a silent server: a busy machine may well be slow.
void setUp(CddbControl &c, const FakeCddbServer &server, const DiscToc &disc = CddbEntries::album(),
           int timeoutMs = 10000)
{
    c.setSettings({"127.0.0.1", server.port(), "dj@example.org", timeoutMs});
    c.setTocReader([disc](const QString &drive, QList<int> &offsets, int &leadout, QString *error) {
        offsets = disc.frameOffsets;
        leadout = disc.leadout;
        *error = "Нет диска в " + drive;
        return drive == "/dev/test";
    });
    c.setMatchChooser([](const QStringList &) { return -1; });
}

// The control set up as setUp() does, asking the MusicBrainz service at `server` and picking `pick`.
void setUpMusicBrainz(CddbControl &c, const QString &server, int pick = -1)
{
    FakeCddbServer unused;
    setUp(c, unused);
    c.setSettings({"127.0.0.1", 1, QString(), 10000, true, server});
    c.setMatchChooser([pick](const QStringList &) { return pick; });
}

// A release of the album disc (four tracks) as the service sends it.
QByteArray mbRelease(const QByteArray &album, const QByteArray &label = "Мелодия")
{
    const QByteArray artist = R"("artist-credit":[{"name":"Северный ветер","joinphrase":""}])";
    return R"({"id":"r","title":")" + album + R"(",)" + artist + R"(,"label-info":[{"label":{"name":")" + label +
           R"("}}],"genres":[{"name":"rock"}],"media":[{"tracks":[{"title":"Вступление","recording":{"length":243400}},
           {"title":"Дорога домой","length":null},{"title":"Гимн","artist-credit":[{"name":"Гость","joinphrase":" и "},
           {"name":"Хор","joinphrase":""}]},{"title":"Финал","length":229000}]}]})";
}

QByteArray mbAnswer(const QByteArrayList &releases)
{
    return httpAnswer(200, "{\"releases\":[" + releases.join(',') + "]}");
}

QStringList titles(const CddbControl &c)
{
    QStringList t;
    for (int i = 0; i <= c.trackCount() + 1; ++i)
        t << c.trackTitle(i) + " " + c.formatLength(c.trackLength(i));
    return t;
}

} // namespace

class tst_cddbcontrol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exactMatch()
    {
        // A server that never says goodbye: the lookup ends once the disc is in.
        FakeCddbServer server;
        server.replies.remove("quit");
        CddbControl c;
        setUp(c, server);
        Recorder r(c);
        QVERIFY(c.lookup("/dev/test"));
        QVERIFY(!c.lookup("/dev/test"));
        QVERIFY(r.events.isEmpty() && c.isRunning());
        QTRY_VERIFY(r.finished());
        QStringList expected = {"connected",
                                "line 201 cddb.test CDDBP server v1.5.2PL0 ready at Mon Jan 1 00:00:00 2024",
                                "line 200 Hello and welcome dj@example.org",
                                "line 201 OK, protocol version now: 6",
                                "line 200 " + QString::fromUtf8(kAlbumMatch),
                                "line 210 rock 2903a304 CD database entry follows"};
        for (const QString &l : CddbEntries::lines(CddbEntries::kAlbumEntry))
            expected << "line " + l;
        QCOMPARE(r.events, (expected + QStringList{"line .", "disconnected", "finished 1"}));
        QTRY_COMPARE(server.received.size(), 5);
        QVERIFY(server.received[0].startsWith("cddb hello dj example.org Cratebook "));
        QCOMPARE(server.received.mid(1),
                 QByteArrayList({"proto 6", CddbEntries::kAlbumQuery, "cddb read rock 2903a304", "quit"}));
        QVERIFY(!c.isRunning());
        QCOMPARE(c.albumTitle(), "Огни большого города");
        QCOMPARE(c.labelValue(), "Мелодия");
        QCOMPARE(c.genre(), "Русский рок");
        QCOMPARE(titles(c),
                 QStringList({" 0:00", "Северный ветер - Вступление 4:03", "Северный ветер - Дорога домой 3:51",
                              "Северный ветер - Часть первая / Часть вторая 3:48",
                              "Северный ветер - Очень длинное название, которое сервер разбил на две строки 3:49",
                              " 0:00"}));
    }

    void compilationInLatin1()
    {
        // A server without level 6 sends ISO 8859-1; a compilation's tracks have their own artists.
        FakeCddbServer server;
        server.replies["proto"] = "501 Illegal protocol level.\r\n";
        server.replies["cddb query"] = "200 misc 1f031e03 Various / Caf\xe9\r\n";
        server.replies["cddb read"] = "210 misc 1f031e03\r\nDTITLE=Various / Caf\xe9\r\nTTITLE0=\xc9mile / "
                                      "Un\r\nTTITLE1=Deux\r\nTTITLE2=B / Trois\r\n.\r\n";
        CddbControl c;
        setUp(c, server, CddbEntries::compilation());
        Recorder r(c);
        c.lookup("/dev/test");
        QTRY_VERIFY(r.finished());
        QCOMPARE(r.ending(), QStringList({"disconnected", "finished 1"}));
        QCOMPARE(server.received[2], QByteArray("cddb query 1f031e03 3 150 20000 41000 800"));
        QCOMPARE(c.albumTitle(), "Café");
        QCOMPARE(c.genre(), "misc");
        QCOMPARE(titles(c),
                 QStringList({" 0:00", "Émile - Un 4:25", "Various - Deux 4:40", "B - Trois 4:13", " 0:00"}));
    }

    void picks_data()
    {
        QTest::addColumn<QByteArray>("queryReply");
        QTest::addColumn<int>("pick");
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QByteArray>("read");
        const QByteArray list = "misc 2903a304 Другой диск\r\n" + kAlbumMatch + "\r\n.\r\n";
        const QStringList both = {"Другой диск (misc, 2903a304)",
                                  "Северный ветер / Огни большого города (rock, 2903a304)"};
        QTest::newRow("210, the second") << "210 Found exact matches\r\n" + list << 1 << both
                                         << QByteArray("cddb read rock 2903a304");
        QTest::newRow("211, one") << "211 Found inexact matches\r\n" + kAlbumMatch + "\r\n.\r\n"
                                  << 0 << both.mid(1) << QByteArray("cddb read rock 2903a304");
        QTest::newRow("211, none picked") << "211 Found inexact matches\r\n" + list << -1 << both << QByteArray("quit");
    }
    void picks()
    {
        QFETCH(QByteArray, queryReply);
        QFETCH(int, pick);
        QFETCH(QByteArray, read);
        FakeCddbServer server;
        server.replies["cddb query"] = queryReply;
        server.replies["cddb read misc"] = entryReply("misc", CddbEntries::kAlbumEntry);
        CddbControl c;
        setUp(c, server);
        QStringList offered;
        c.setMatchChooser([&](const QStringList &matches) {
            offered = matches;
            return pick;
        });
        Recorder r(c);
        c.lookup("/dev/test");
        QTRY_VERIFY(r.finished());
        QTEST(offered, "offered");
        // A lookup given up ends at once, while its "quit" may still be on its way to the server.
        QTRY_COMPARE(server.received.value(3), read);
        QCOMPARE(r.ending(), pick < 0 ? QStringList({"failure 0 Диск не выбран.", "disconnected", "finished 0"})
                                      : QStringList({"disconnected", "finished 1"}));
        QCOMPARE(c.trackCount(), pick < 0 ? 0 : 4);
        QCOMPARE(c.genre(), pick < 0 ? "" : "Русский рок");
    }

    void pickInList_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("Ok") << true;
        QTest::newRow("Cancel") << false;
    }
    void pickInList()
    {
        // Without a chooser the user picks in a list.
        QFETCH(bool, accept);
        FakeCddbServer server;
        server.replies["cddb query"] = "211 close\r\nmisc 2903a304 Другой диск\r\n" + kAlbumMatch + "\r\n.\r\n";
        CddbControl c;
        setUp(c, server);
        c.setMatchChooser(nullptr);
        QStringList shown;
        const Modal::Driver previous = Modal::setDriver([&](QDialog *d) {
            auto *list = d->findChild<QListWidget *>("lstMatches");
            shown << d->windowTitle() << d->findChild<QLabel *>()->text() << QString::number(list->count());
            list->setCurrentRow(1);
            d->findChild<QDialogButtonBox *>()
                ->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
                ->click();
        });
        Recorder r(c);
        c.lookup("/dev/test");
        QTRY_VERIFY(r.finished());
        Modal::setDriver(previous);
        QCOMPARE(shown, QStringList({"CDDB", "Найдено несколько дисков. Выберите нужный:", "2"}));
        QCOMPARE(r.events.last(), accept ? "finished 1" : "finished 0");
        QCOMPARE(c.albumTitle(), accept ? "Огни большого города" : "");
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("close");
        QTest::addColumn<QString>("failure");
        const QByteArray entry = entryReply("rock", CddbEntries::kAlbumEntry);
        const QString garbled = "Сервер CDDB прислал ответ, который не удается разобрать.";
        const QString closed = "Сервер CDDB закрыл соединение, не закончив ответ.";
        const QString silent = "Сервер CDDB не отвечает.";
        const QString tooLong = "Сервер CDDB прислал слишком длинную строку.";
        QTest::newRow("202") << QByteArray("cddb query") << QByteArray("202 No match found.\r\n") << false
                             << "202 202 No match found.\r\nДиска нет в базе CDDB.";
        QTest::newRow("431 at hello")
            << QByteArray("cddb hello") << QByteArray("431 Handshake not successful, closing connection\r\n") << true
            << "431 431 Handshake not successful, closing connection\r\nУкажите адрес электронной почты, "
               "зарегистрированный на сервере CDDB, в файле settings.ini: раздел [CDDB], ключ Email.";
        QTest::newRow("433 at the banner")
            << QByteArray("banner")
            << QByteArray("433 No connections allowed: 10 users allowed, 10 currently active\r\n") << true
            << "433 433 No connections allowed: 10 users allowed, 10 currently active\r\nСервер CDDB сейчас не "
               "принимает "
               "соединения. Повторите попытку позже или укажите другой сервер в файле settings.ini: раздел [CDDB], "
               "ключ Server.";
        QTest::newRow("409 at query") << QByteArray("cddb query") << QByteArray("409 No handshake\r\n") << false
                                      << "409 409 No handshake\r\nСервер CDDB сообщил об ошибке.";
        QTest::newRow("garbage banner") << QByteArray("banner") << QByteArray("SSH-2.0-OpenSSH\r\n") << false
                                        << "0 SSH-2.0-OpenSSH\r\n" + garbled;
        QTest::newRow("closed at once") << QByteArray("banner") << QByteArray() << true << "0 " + closed;
        QTest::newRow("silent at once") << QByteArray("banner") << QByteArray() << false << "0 " + silent;
        QTest::newRow("silent in the entry")
            << QByteArray("cddb read") << entry.left(entry.size() - 3) << false << "0 " + silent;
        QTest::newRow("no final line") << QByteArray("cddb read") << entry.left(entry.size() - 3) << true
                                       << "0 " + closed;
        QTest::newRow("over-long line") << QByteArray("cddb read")
                                        << "210 rock\r\nEXTD=" + QByteArray(5000, 'x') + "\r\n.\r\n"
                                        << false << "0 " + tooLong;
        QTest::newRow("endless line") << QByteArray("cddb read") << "210 rock\r\nEXTD=" + QByteArray(5000, 'x') << false
                                      << "0 " + tooLong;
        QByteArray flood = "210 rock\r\n";
        while (flood.size() < 1100000)
            flood += "EXTD=" + QByteArray(200, 'x') + "\r\n";
        QTest::newRow("endless entry") << QByteArray("cddb read") << flood << false
                                       << "0 Сервер CDDB прислал слишком длинный ответ.";
        QTest::newRow("not UTF-8") << QByteArray("cddb read") << QByteArray(entry).replace("1998", "19\xff") << false
                                   << "0 Сервер CDDB прислал текст в неверной кодировке.";
        QTest::newRow("bad disc length") << QByteArray("cddb read")
                                         << QByteArray(entry).replace("933 seconds", "9x3 seconds") << false
                                         << "0 Сервер CDDB прислал неверную запись о диске.";
        QTest::newRow("another disc's tracks")
            << QByteArray("cddb read") << entryReply("rock", CddbEntries::kCompilationEntry) << false
            << "0 Число треков в записи CDDB не совпадает с числом треков на диске.";
        QTest::newRow("bad match") << QByteArray("cddb query") << QByteArray("200 rock 29O3a304 A / B\r\n") << false
                                   << "200 200 rock 29O3a304 A / B\r\n" + garbled;
    }
    void failures()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, reply);
        QFETCH(bool, close);
        FakeCddbServer server;
        if (key == "banner")
            server.banner = reply;
        else
            server.replies[key] = reply;
        if (close)
            server.closeAfter << key;
        QFETCH(QString, failure);
        CddbControl c;
        setUp(c, server, CddbEntries::album(), failure.contains("не отвечает") ? 200 : 10000);
        Recorder r(c);
        c.lookup("/dev/test");
        QTRY_VERIFY(r.finished());
        QCOMPARE(r.ending(), QStringList({"failure " + failure, "disconnected", "finished 0"}));
        QCOMPARE(c.trackCount(), 0);
        QCOMPARE(c.albumTitle(), "");
        // The server was told goodbye unless it had gone.
        QTRY_VERIFY(server.clientGone);
    }

    void failuresWithoutServer()
    {
        FakeCddbServer server;
        CddbControl c;
        setUp(c, server, CddbEntries::toc({150, 100}, 300));
        Recorder r(c);
        const auto run = [&](const QString &drive) {
            r.events.clear();
            c.lookup(drive);
            QTRY_VERIFY(r.finished());
        };
        run("");
        QCOMPARE(r.events, QStringList({"failure 0 Не найден CD-дисковод.", "finished 0"}));
        run("/dev/other");
        QCOMPARE(r.events, QStringList({"failure 0 Нет диска в /dev/other", "finished 0"}));
        run("/dev/test");
        QCOMPARE(r.events,
                 QStringList(
                     {"failure 0 Не удается прочитать оглавление компакт-диска в дисководе /dev/test.", "finished 0"}));
        QVERIFY(server.received.isEmpty());
        // Nobody listening.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        setUp(c, server);
        c.setSettings({"127.0.0.1", port, QString(), 10000});
        run("/dev/test");
        QCOMPARE(r.events, QStringList({QString("failure 0 Сервер CDDB 127.0.0.1:%1 отказал в соединении.").arg(port),
                                        "finished 0"}));
        // The drive itself.
        QList<int> offsets{1};
        int leadout = 1;
        QString error;
        QVERIFY(!CdDrive::readToc("/nonexistent/sr9", offsets, leadout, &error));
        QCOMPARE(error, "Не найден CD-дисковод /nonexistent/sr9.");
        QVERIFY(offsets.isEmpty() && leadout == 0);
        // A file that is no drive: the cause first, libdiscid's words only as the detail.
        QTemporaryFile file;
        QVERIFY(file.open());
        QVERIFY(!CdDrive::readToc(file.fileName(), offsets, leadout, &error));
        QVERIFY2(error.startsWith("Не найден CD-дисковод " + file.fileName() + ".\r\nПодробности: "),
                 qPrintable(error));
    }

    void driveProblems_data()
    {
        QTest::addColumn<int>("openErrno");
        QTest::addColumn<int>("driveStatus");
        QTest::addColumn<int>("discStatus");
        QTest::addColumn<QString>("text");
        const QString rights = "Нет прав на чтение дисковода /dev/sr0. Добавьте своего пользователя в группу cdrom и "
                               "войдите в систему заново.";
        const QString noDisc = "В дисководе /dev/sr0 нет диска.";
        const QString unknown = "Не удается прочитать компакт-диск в дисководе /dev/sr0.";
        QTest::newRow("not in group cdrom") << EACCES << -1 << -1 << rights;
        QTest::newRow("EPERM") << EPERM << -1 << -1 << rights;
        QTest::newRow("no medium") << ENOMEDIUM << -1 << -1 << noDisc;
        QTest::newRow("gone") << ENXIO << -1 << -1 << "Не найден CD-дисковод /dev/sr0.";
        QTest::newRow("not a CD drive") << 0 << -1 << -1 << "Не найден CD-дисковод /dev/sr0.";
        QTest::newRow("tray open") << 0 << CDS_TRAY_OPEN << -1 << noDisc;
        QTest::newRow("empty") << 0 << CDS_NO_DISC << CDS_NO_DISC << noDisc;
        QTest::newRow("data disc") << 0 << CDS_DISC_OK << CDS_DATA_1
                                   << "Диск в дисководе /dev/sr0 не является звуковым компакт-диском.";
        QTest::newRow("audio, unreadable") << 0 << CDS_DISC_OK << CDS_AUDIO << unknown;
        QTest::newRow("I/O error") << EIO << -1 << -1 << unknown;
    }
    void driveProblems()
    {
        QFETCH(int, openErrno);
        QFETCH(int, driveStatus);
        QFETCH(int, discStatus);
        const CdDrive::Problem problem = CdDrive::classify(openErrno, driveStatus, discStatus);
        QTEST(CdDrive::problemText(problem, "/dev/sr0"), "text");
        QFETCH(QString, text);
        QCOMPARE(CdDrive::problemText(problem, "/dev/sr0", "cannot open"), text + "\r\nПодробности: cannot open");
    }

    void longAnswer()
    {
        // Ten thousand lines: the event loop runs between batches of them, and the lookup stops at once.
        FakeCddbServer server;
        QByteArray list = "211 close\r\n";
        for (int i = 0; i < 10000; ++i)
            list += "misc 2903a304 Disc " + QByteArray::number(i) + "\r\n";
        server.replies["cddb query"] = list + ".\r\n";
        CddbControl c;
        setUp(c, server);
        Recorder r(c);
        qsizetype atList = -1;
        qsizetype atTurn = -1;
        QObject::connect(&c, &CddbControl::lineReceived, [&](const QString &line) {
            if (!line.startsWith("211 "))
                return;
            atList = r.events.size();
            QTimer::singleShot(0, [&] {
                atTurn = r.events.size();
                c.stop();
            });
        });
        c.lookup("/dev/test");
        QTRY_VERIFY(r.finished());
        QVERIFY2(atTurn - atList < 1000, qPrintable(QString::number(atTurn - atList)));
        QCOMPARE(r.events.size(), atTurn + 2);
        QCOMPARE(r.ending(), QStringList({"disconnected", "finished 0"}));
    }

    void slowAnswerComesTooLate()
    {
        FakeCddbServer server;
        server.replies.remove("cddb query");
        CddbControl c;
        setUp(c, server, CddbEntries::album(), 200);
        Recorder r(c);
        c.lookup("/dev/test");
        QTRY_VERIFY(r.finished());
        QCOMPARE(r.ending(), QStringList({"failure 0 Сервер CDDB не отвечает.", "disconnected", "finished 0"}));
        const QStringList before = r.events;
        server.client()->write("200 " + kAlbumMatch + "\r\n");
        QTRY_VERIFY(server.clientGone);
        QTRY_COMPARE(server.received.last(), QByteArray("quit"));
        QCOMPARE(r.events, before);
        QCOMPARE(c.trackCount(), 0);
    }

    void stopAtEachLine()
    {
        // Stopped when the n-th line arrives, for every line of a lookup that would succeed: no failure, and
        // nothing of the disc.
        for (int n = 1;; ++n) {
            FakeCddbServer server;
            CddbControl c;
            setUp(c, server);
            Recorder r(c);
            QObject::connect(&c, &CddbControl::lineReceived, [&] {
                if (r.events.count() == n + 1)
                    c.stop();
            });
            c.lookup("/dev/test");
            QTRY_VERIFY(r.finished());
            if (r.events.last() == "finished 1")
                break; // past the last line
            QCOMPARE(r.events.count(), n + 3);
            QCOMPARE(r.ending(), QStringList({"disconnected", "finished 0"}));
            QCOMPARE(c.trackCount(), 0);
            QVERIFY(!c.isRunning());
            QTRY_VERIFY(server.clientGone);
            QVERIFY2(n < 100, "the lookup never ended");
        }
    }

    void stopElsewhere()
    {
        FakeCddbServer server;
        CddbControl c;
        setUp(c, server);
        Recorder r(c);
        // Before it starts: nothing but the end.
        c.lookup("/dev/test");
        c.stop();
        QCOMPARE(r.events, QStringList{"finished 0"});
        c.stop();
        QCOMPARE(r.events.size(), 1);
        // While the server keeps it waiting.
        server.replies.remove("proto");
        r.events.clear();
        c.lookup("/dev/test");
        QTRY_COMPARE(server.received.size(), 2);
        c.stop();
        QCOMPARE(r.ending(), QStringList({"disconnected", "finished 0"}));
        // While the user picks: the pick is ignored.
        server.replies["proto"] = "201 OK\r\n";
        server.replies["cddb query"] = "211 close\r\n" + kAlbumMatch + "\r\n.\r\n";
        c.setMatchChooser([&](const QStringList &) {
            c.stop();
            return 0;
        });
        r.events.clear();
        c.lookup("/dev/test");
        QTRY_VERIFY(r.finished());
        QCOMPARE(r.ending(), QStringList({"disconnected", "finished 0"}));
        QVERIFY(!server.received.contains("cddb read rock 2903a304"));
    }

    void dataForgottenAtTheNextLookup()
    {
        FakeCddbServer server;
        CddbControl c;
        setUp(c, server);
        Recorder r(c);
        c.lookup("/dev/test");
        QTRY_VERIFY(r.finished());
        QCOMPARE(c.trackCount(), 4);
        server.replies["cddb query"] = "202 No match found.\r\n";
        r.events.clear();
        c.lookup("/dev/test");
        QCOMPARE(titles(c), QStringList({" 0:00", " 0:00"}));
        QTRY_VERIFY(r.finished());
        QCOMPARE(r.events.last(), "finished 0");
        QCOMPARE(c.albumTitle() + c.labelValue() + c.genre() + c.trackTitle(1), "");
    }

    void musicBrainz_data()
    {
        QTest::addColumn<QByteArray>("byDiscId");
        QTest::addColumn<QByteArray>("byToc");
        QTest::addColumn<int>("pick");
        QTest::addColumn<int>("requests");
        QTest::addColumn<QString>("result"); // the album and label found, or the failure
        const QByteArray one = mbAnswer({mbRelease("Огни большого города")});
        const QByteArray two = mbAnswer({mbRelease("Огни"), mbRelease("Огни (ремастер)", "Никитин")});
        const QByteArray none = httpAnswer(200, R"({"releases":[]})");
        QTest::newRow("one release") << one << QByteArray() << -1 << 1 << "Огни большого города|Мелодия";
        QTest::newRow("second picked") << two << QByteArray() << 1 << 1 << "Огни (ремастер)|Никитин";
        QTest::newRow("none picked") << two << QByteArray() << -1 << 1 << "failure 0 Диск не выбран.";
        QTest::newRow("unknown id, found by toc") << QByteArray() << one << -1 << 2 << "Огни большого города|Мелодия";
        QTest::newRow("no releases for the id") << none << one << -1 << 2 << "Огни большого города|Мелодия";
        QTest::newRow("nowhere") << none << QByteArray() << -1 << 2 << "failure 0 Диска нет в базе MusicBrainz.";
        QTest::newRow("503 with seconds") << httpAnswer(503, "", "Retry-After: 7\r\n") << one << -1 << 1
                                          << "failure 0 Сервер MusicBrainz перегружен. Повторите попытку через 7 с.";
        QTest::newRow("503 without") << httpAnswer(503, "") << one << -1 << 1
                                     << "failure 0 Сервер MusicBrainz перегружен. Повторите попытку позже.";
        QTest::newRow("500") << httpAnswer(500, "oops") << one << -1 << 1
                             << "failure 0 Сервер MusicBrainz сообщил об ошибке: HTTP 500.";
        QTest::newRow("bad json") << httpAnswer(200, "<html>") << one << -1 << 1
                                  << "failure 0 Сервер MusicBrainz прислал ответ, который не удается разобрать.";
        QTest::newRow("over 1 MiB") << httpAnswer(200, QByteArray(1100000, ' ') + "{}") << one << -1 << 1
                                    << "failure 0 Сервер MusicBrainz прислал слишком большой ответ.";
    }
    void musicBrainz()
    {
        QFETCH(QByteArray, byDiscId);
        QFETCH(QByteArray, byToc);
        QFETCH(int, pick);
        QFETCH(int, requests);
        QFETCH(QString, result);
        FakeMusicBrainzServer server;
        server.byDiscId = byDiscId;
        server.byToc = byToc;
        CddbControl c;
        setUpMusicBrainz(c, server.url(), pick);
        Recorder r(c);
        QVERIFY(c.lookup("/dev/test"));
        QTRY_VERIFY_WITH_TIMEOUT(r.finished(), 10000);
        const bool ok = !result.startsWith("failure");
        QCOMPARE(r.ending(), QStringList({ok ? "disconnected" : result, ok ? "finished 1" : "disconnected",
                                          ok ? QString() : "finished 0"})
                                 .filter(QRegularExpression(".")));
        QCOMPARE(ok ? c.albumTitle() + '|' + c.labelValue() : result, result);
        QCOMPARE(r.events.filter(QRegularExpression("^line MusicBrainz http://127.0.0.1:\\d+: HTTP ")).size(),
                 requests);
        if (ok) {
            QCOMPARE(c.genre(), "rock");
            QCOMPARE(titles(c),
                     QStringList({" 0:00", "Северный ветер - Вступление 4:03", "Северный ветер - Дорога домой ",
                                  "Гость и Хор - Гимн ", "Северный ветер - Финал 3:49", " 0:00"}));
        } else {
            QCOMPARE(c.trackCount(), 0);
        }
        // The disc id first, then the table of contents a second later; the program named each time.
        QCOMPARE(server.requests.size(), requests);
        const QByteArray query = "?inc=recordings+artist-credits+labels+genres";
        const QByteArray byId = "GET /ws/2/discid/" + MusicBrainzLookup::discId(CddbEntries::album()).toLatin1() +
                                query + "&fmt=json HTTP/1.1\r\n";
        QVERIFY(server.requests[0].startsWith(byId));
        if (requests == 2) {
            const QByteArray tocRequest =
                "GET /ws/2/discid/-" + query + "&toc=1+4+70000+150+18390+35700+52815&cdstubs=no&fmt=json ";
            QVERIFY(server.requests[1].startsWith(tocRequest));
            QVERIFY(server.times[1] - server.times[0] >= 950);
        }
        for (const QByteArray &request : server.requests)
            QVERIFY(request.contains("\r\nUser-Agent: Cratebook/"));
    }

    void musicBrainzUnreachable()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString refused = "http://127.0.0.1:" + QString::number(closed.serverPort());
        closed.close();
        FakeMusicBrainzServer plain; // speaks no TLS
        const QString tls = "https://127.0.0.1:" + QString::number(plain.port());
        for (const auto &[server, failure] :
             {std::pair{refused, QString("Сервер MusicBrainz 127.0.0.1 отказал в соединении.")},
              std::pair{tls, QString("Не удается установить защищённое соединение с сервером MusicBrainz 127.0.0.1.")},
              std::pair{QString("ftp://127.0.0.1"),
                        QString("Неверный адрес сервера MusicBrainz в файле settings.ini: раздел [MusicBrainz], ключ "
                                "Server.")}}) {
            CddbControl c;
            setUpMusicBrainz(c, server);
            Recorder r(c);
            c.lookup("/dev/test");
            QTRY_VERIFY_WITH_TIMEOUT(r.finished(), 10000);
            QCOMPARE(r.events, QStringList({"failure 0 " + failure, "finished 0"}));
        }
    }

    void musicBrainzStopped()
    {
        // Stopped while waiting to ask by table of contents: nothing more is asked, nothing reported.
        FakeMusicBrainzServer server;
        CddbControl c;
        setUpMusicBrainz(c, server.url());
        Recorder r(c);
        c.lookup("/dev/test");
        QTRY_COMPARE(server.requests.size(), 1);
        QTRY_VERIFY(r.events.contains("connected"));
        c.stop();
        QCOMPARE(r.ending(), QStringList({"disconnected", "finished 0"}));
        QTest::qWait(1500);
        QCOMPARE(server.requests.size(), 1);
        QCOMPARE(c.trackCount(), 0);
    }

    void settings()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.ini");
        CddbControl::Settings s = CddbControl::readSettings(path);
        QCOMPARE(s.server + " " + QString::number(s.port) + " " + s.email, "gnudb.gnudb.org 8880 ");
        QVERIFY(!QFile::exists(path));
        const QByteArray content = "[Settings]\r\nPort=1\r\n[cddb]\r\n server = cddb.example.org "
                                   "\r\nEMAIL=\"dj@example.org\"\r\nport=8000\r\n";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        f.close();
        s = CddbControl::readSettings(path);
        QCOMPARE(s.server + " " + QString::number(s.port) + " " + s.email, "cddb.example.org 8000 dj@example.org");
        for (const char *bad : {"0", "65536", "-1", "88a", "", "99999999999"}) {
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[CDDB]\nPort=" + QByteArray(bad) + "\n");
            f.close();
            QCOMPARE(CddbControl::readSettings(path).port, quint16(8880));
        }
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[CDDB]\nPort=99999999999\n"));
        f.close();
        // A CDDB server named keeps CDDB; without one MusicBrainz is asked, at its Server.
        QVERIFY(!s.musicBrainz && CddbControl::readSettings(path).musicBrainz);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[MusicBrainz]\nServer=http://127.0.0.1:5000\n");
        f.close();
        s = CddbControl::readSettings(path);
        QVERIFY(s.musicBrainz);
        QCOMPARE(s.musicBrainzServer, "http://127.0.0.1:5000");
    }

    void drives()
    {
        const QByteArray info = "CD-ROM information, Id: cdrom.c 3.20 2003/12/17\n\n"
                                "drive name:\t\tsr10\tsr2\tsr0\thdc\t../x\n"
                                "drive speed:\t\t24\t24\t24\t24\n";
        QCOMPARE(CdDrive::parseDriveInfo(info), QStringList({"/dev/hdc", "/dev/sr0", "/dev/sr2", "/dev/sr10"}));
        QCOMPARE(CdDrive::parseDriveInfo("CD-ROM information, Id: cdrom.c 3.20\n\ndrive name:\n"), QStringList());
        QCOMPARE(CdDrive::drives("/nonexistent/info"), QStringList());
    }

    void discIdAsLibdiscid()
    {
        // libdiscid's disc ids (CDDB and MusicBrainz) of the same tables, the test's fixed ones and a thousand random
        // CDs.
        QList<DiscToc> discs{CddbEntries::album(), CddbEntries::compilation()};
        QRandomGenerator random(20240101);
        for (int i = 0; i < 1000; ++i) {
            DiscToc d;
            // Up to 99 tracks within the 90 minutes libdiscid takes.
            const int tracks = random.bounded(1, 100);
            int at = 150 + random.bounded(i % 2 ? 20000 : 2);
            for (int t = 0; t < tracks; ++t, at += random.bounded(1, 75 * 60 * 80 / tracks))
                d.frameOffsets << at;
            d.leadout = at;
            discs << d;
        }
        DiscId *id = discid_new();
        for (const DiscToc &d : discs) {
            int offsets[100] = {d.leadout};
            std::copy(d.frameOffsets.cbegin(), d.frameOffsets.cend(), offsets + 1);
            QVERIFY(d.isValid());
            QVERIFY(discid_put(id, 1, d.trackCount(), offsets));
            QCOMPARE(d.discIdText(), QString::fromLatin1(discid_get_freedb_id(id)));
            QCOMPARE(MusicBrainzLookup::discId(d), QString::fromLatin1(discid_get_id(id)));
        }
        discid_free(id);
    }
};

QTEST_MAIN(tst_cddbcontrol)
#include "tst_cddbcontrol.moc"
