// The MusicBrainz web service: its answers read into albums, the requests made from the Server setting and
// the disc, the choice of it over CDDB in the settings file, and the wait a busy server asks for.
#include "core/cddb/MusicBrainzReply.h"
#include "core/cddb/MusicBrainzRequest.h"
#include "core/settings/IniFile.h"

#include <QtTest>

namespace {

// "album|artist|label|style" per release, then "  artist|title|duration" per track; or the error text.
QStringList summary(const MusicBrainzReply &reply)
{
    if (!reply.isOk())
        return {reply.errorText()};
    QStringList out;
    for (const MusicBrainzReply::Release &r : reply.releases()) {
        out.append(r.album + '|' + r.artist + '|' + r.label + '|' + r.style);
        for (const MusicBrainzReply::Track &t : r.tracks)
            out.append("  " + t.artist + '|' + t.title + '|' + t.duration);
    }
    return out;
}

QByteArray credit(const char *name, const char *join = "")
{
    return QByteArray(R"([{"name":")") + name + R"(","joinphrase":")" + join + R"(","artist":{"name":"x"}}])";
}

// A track with its own title and credit, and a recording of `ms` milliseconds.
QByteArray track(const char *title, const QByteArray &ms, const QByteArray &artist = "null")
{
    return QByteArray(R"({"title":")") + title + R"(","length":1000,"artist-credit":)" + artist +
           R"(,"recording":{"title":"rec","length":)" + ms + "}}";
}

const QByteArray kKino =
    R"({"id":"r1","title":"Группа крови","artist-credit":)" + credit("Кино") +
    R"(,"date":"1988","country":"SU","label-info":[{"catalog-number":null,"label":null},
    {"catalog-number":"C60 26 847","label":{"name":"Мелодия"}}],"genres":[{"name":"rock"},{"name":"post-punk"}],
    "media":[{"discs":[{"id":"other"}],"tracks":[)" +
    track("не эта", "1") + R"(]},
             {"discs":[{"id":"disc-1"}],"tracks":[)" +
    track("Группа крови", "285440") + "," +
    track("Закрой за мной дверь", "1500", credit("Кино", " feat. ").chopped(1) + "," + credit("Гость").mid(1)) + "]}]}";

const QByteArray kPlain = R"({"title":"Plain","artist-credit":)" + credit("A") +
                          R"(,"media":[{"tracks":[{"title":"","recording":{"title":" Line\nbreak\t"}},
    {"title":"t2","length":59499,"recording":{"length":null}},{"title":"t3","recording":{"length":-5}}]}]})";

} // namespace

class tst_musicbrainz : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reply_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("discId");
        QTest::addColumn<int>("trackCount");
        QTest::addColumn<QStringList>("expected");
        const QString notFound = "Диска нет в базе MusicBrainz.";
        const QString malformed = "Сервер MusicBrainz прислал ответ, который не удается разобрать.";

        // The medium named by the disc id; the first label with a name; the first genre; track credits with
        // their join phrases; the recording's length before the track's.
        QTest::newRow("one release") << "{\"id\":\"disc-1\",\"releases\":[" + kKino + "]}"
                                     << "disc-1" << 0
                                     << QStringList{"Группа крови|Кино|Мелодия|rock", "  Кино|Группа крови|4:45",
                                                    "  Кино feat. Гость|Закрой за мной дверь|0:02"};
        QTest::newRow("several") << "{\"releases\":[" + kKino + "," + kPlain + "]}"
                                 << "disc-2" << 0 << QStringList{"Группа крови|Кино|Мелодия|rock",
                                                                 "  Кино|не эта|0:00",
                                                                 "Plain|A||",
                                                                 "  A|Line break|",
                                                                 "  A|t2|0:59",
                                                                 "  A|t3|"};
        // A lookup by table of contents names no disc: the medium with the disc's track count.
        QTest::newRow("by track count") << "{\"releases\":[" + kKino + "]}"
                                        << "" << 2
                                        << QStringList{"Группа крови|Кино|Мелодия|rock", "  Кино|Группа крови|4:45",
                                                       "  Кино feat. Гость|Закрой за мной дверь|0:02"};
        QTest::newRow("none") << QByteArray(R"({"release-count":0,"releases":[]})") << "" << 0 << QStringList{notFound};
        QTest::newRow("no tracks") << QByteArray(R"({"releases":[{"title":"x","media":[{"tracks":[]}]}, 5, null]})")
                                   << "" << 0 << QStringList{notFound};
        QTest::newRow("bad json") << QByteArray(R"({"releases":[)") << "" << 0 << QStringList{malformed};
        QTest::newRow("array") << QByteArray("[]") << "" << 0 << QStringList{malformed};
        QTest::newRow("error object") << QByteArray(R"({"error":"Not Found"})") << "" << 0 << QStringList{malformed};
        QTest::newRow("releases not a list") << QByteArray(R"({"releases":{}})") << "" << 0 << QStringList{malformed};
        QTest::newRow("empty") << QByteArray() << "" << 0 << QStringList{malformed};
        // Blanks inside the object bring the answer to the limit, and one more over it.
        const QByteArray body = "\"releases\":[" + kPlain + "]}";
        const QByteArray atLimit = "{" + QByteArray(MusicBrainzReply::kMaxBytes - 1 - body.size(), ' ') + body;
        QTest::newRow("at the limit") << atLimit << "" << 0
                                      << QStringList{"Plain|A||", "  A|Line break|", "  A|t2|0:59", "  A|t3|"};
        QTest::newRow("oversize") << " " + atLimit << "" << 0
                                  << QStringList{"Сервер MusicBrainz прислал слишком большой ответ."};
    }
    void reply()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, discId);
        QFETCH(int, trackCount);
        QFETCH(QStringList, expected);
        const MusicBrainzReply reply = MusicBrainzReply::parse(json, discId, trackCount);
        QCOMPARE(summary(reply), expected);
        QCOMPARE(reply.releases().isEmpty(), !reply.isOk());
    }

    void displayText()
    {
        const MusicBrainzReply reply = MusicBrainzReply::parse("{\"releases\":[" + kKino + "," + kPlain + "]}");
        QCOMPARE(reply.releases().at(0).displayText(), "Кино / Группа крови (1988, SU, Мелодия, C60 26 847)");
        QCOMPARE(reply.releases().at(1).displayText(), "A / Plain");
    }

    void urls_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("discIdUrl");
        QTest::addColumn<QString>("tocUrl");
        const QString query = "?inc=recordings+artist-credits+labels+genres";
        const QString toc = "&toc=1+3+60000+150+20000+41000&cdstubs=no&fmt=json";
        QTest::newRow("default") << "musicbrainz.org"
                                 << "https://musicbrainz.org/ws/2/discid/id_x-" + query + "&fmt=json"
                                 << "https://musicbrainz.org/ws/2/discid/-" + query + toc;
        QTest::newRow("host and port") << " mb.example:5000 "
                                       << "https://mb.example:5000/ws/2/discid/id_x-" + query + "&fmt=json"
                                       << "https://mb.example:5000/ws/2/discid/-" + query + toc;
        QTest::newRow("plain http") << "http://127.0.0.1:8080/"
                                    << "http://127.0.0.1:8080/ws/2/discid/id_x-" + query + "&fmt=json"
                                    << "http://127.0.0.1:8080/ws/2/discid/-" + query + toc;
        QTest::newRow("path kept") << "HTTPS://mirror.example/mb//"
                                   << "https://mirror.example/mb/ws/2/discid/id_x-" + query + "&fmt=json"
                                   << "https://mirror.example/mb/ws/2/discid/-" + query + toc;
        QTest::newRow("other scheme") << "ftp://mb.example"
                                      << ""
                                      << "";
        QTest::newRow("no host") << "http://"
                                 << ""
                                 << "";
        QTest::newRow("blank") << ""
                               << ""
                               << "";
        QTest::newRow("with query") << "http://h/?a=1"
                                    << ""
                                    << "";
    }
    void urls()
    {
        QFETCH(QString, server);
        QFETCH(QString, discIdUrl);
        QFETCH(QString, tocUrl);
        DiscToc disc;
        disc.frameOffsets = {150, 20000, 41000};
        disc.leadout = 60000;
        const QUrl service = MusicBrainzRequest::serviceUrl(server);
        QCOMPARE(MusicBrainzRequest::discIdUrl(service, "id_x-").toString(QUrl::FullyEncoded), discIdUrl);
        QCOMPARE(MusicBrainzRequest::tocUrl(service, disc).toString(QUrl::FullyEncoded), tocUrl);
    }

    void choice_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("musicBrainz");
        QTest::addColumn<QString>("server");
        QTest::newRow("nothing") << QByteArray() << true << "musicbrainz.org";
        QTest::newRow("cddb server") << QByteArray("[CDDB]\r\nServer=freedb.example\r\n") << false << "musicbrainz.org";
        QTest::newRow("cddb email") << QByteArray("[cddb]\r\nEmail = me@example.org\r\n") << false << "musicbrainz.org";
        QTest::newRow("cddb blank") << QByteArray("[CDDB]\r\nServer=\r\nEmail= \r\nPort=8880\r\n") << true
                                    << "musicbrainz.org";
        QTest::newRow("use 1 over cddb")
            << QByteArray("[CDDB]\r\nServer=x\r\n[MusicBrainz]\r\nUse=1\r\nServer=http://127.0.0.1:9\r\n") << true
            << "http://127.0.0.1:9";
        QTest::newRow("use 0") << QByteArray("[MUSICBRAINZ]\r\nuse = 0\r\n") << false << "musicbrainz.org";
        QTest::newRow("use other") << QByteArray("[MusicBrainz]\r\nUse=yes\r\n[CDDB]\r\nEmail=a@b\r\n") << false
                                   << "musicbrainz.org";
    }
    void choice()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, musicBrainz);
        QFETCH(QString, server);
        IniFile file;
        file.parse(ini);
        QCOMPARE(MusicBrainzRequest::useMusicBrainz(file), musicBrainz);
        QCOMPARE(MusicBrainzRequest::server(file), server);
        QCOMPARE(file.serialize(), ini); // read, never written
    }

    void retryAfter_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<qint64>("seconds");
        QTest::newRow("seconds") << QByteArray(" 120 ") << qint64(120);
        QTest::newRow("zero") << QByteArray("0") << qint64(0);
        QTest::newRow("imf date") << QByteArray("Sun, 06 Nov 1994 08:50:06 GMT") << qint64(30);
        QTest::newRow("part second") << QByteArray("Sun, 06 Nov 1994 08:49:37 GMT") << qint64(1);
        QTest::newRow("rfc 850") << QByteArray("Sunday, 06-Nov-94 08:51:36 GMT") << qint64(120);
        QTest::newRow("asctime") << QByteArray("Sun Nov  6 09:49:36 1994") << qint64(3600);
        QTest::newRow("past") << QByteArray("Sat, 05 Nov 1994 08:49:37 GMT") << qint64(0);
        QTest::newRow("negative") << QByteArray("-5") << qint64(-1);
        QTest::newRow("fraction") << QByteArray("1.5") << qint64(-1);
        QTest::newRow("bad date") << QByteArray("Sun, 31 Feb 1994 08:49:37 GMT") << qint64(-1);
        QTest::newRow("empty") << QByteArray() << qint64(-1);
    }
    void retryAfter()
    {
        QFETCH(QByteArray, header);
        QFETCH(qint64, seconds);
        const QDateTime now(QDate(1994, 11, 6), QTime(8, 49, 36, 500), Qt::UTC);
        QCOMPARE(MusicBrainzRequest::retryAfterSeconds(header, now), seconds);
    }
};

QTEST_GUILESS_MAIN(tst_musicbrainz)
#include "tst_musicbrainz.moc"
