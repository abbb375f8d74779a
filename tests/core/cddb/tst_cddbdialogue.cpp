// The conversation with a CDDB server, line by line: what the client sends, when it asks the user, and how
// each kind of answer ends it.
#include "core/cddb/CddbDialogue.h"
#include "support/CddbEntries.h"

#include <QtTest>

namespace {

const QStringList kGreeting = {"201 cddb.test CDDBP server v1.5.2PL0 ready", "200 Hello and welcome dj@example.org",
                               "201 OK, protocol version now: 6"};
const QStringList kGreeted = {"> cddb hello dj example.org Cratebook 1.0", "> proto 6",
                              QString("> ") + CddbEntries::kAlbumQuery};

QStringList entryReply(const char *category = "rock")
{
    return QStringList{QString("210 %1 2903a304 CD database entry follows").arg(category)} +
           CddbEntries::lines(CddbEntries::kAlbumEntry) + QStringList{"."};
}

// What the dialogue does with the server's `lines`: "> command" for each command, "? matches" when it asks
// (answered with `pick`), "ok > quit" on success, "done <encoding>" at the goodbye, "fail <kind> <code> <step>".
const char *const kKinds[] = {"None", "Refused", "NoMatch", "Cancelled", "ServerError", "Malformed"};
const char *const kSteps[] = {"Banner", "Hello", "Proto", "Query", "Matches", "Choice",
                              "Read",   "Entry", "Quit",  "Done",  "Failed"};

QStringList play(CddbDialogue &d, const QStringList &lines, int pick)
{
    QStringList t;
    const auto record = [&](CddbDialogue::Action action, const auto &self) -> void {
        using A = CddbDialogue::Action;
        if (action == A::Send)
            t << "> " + QString::fromLatin1(d.command());
        if (action == A::Choose) {
            t << "? " + d.matchTexts().join('|');
            self(d.choose(pick), self);
        }
        if (action == A::Succeeded)
            t << "ok > " + QString::fromLatin1(d.command());
        if (action == A::Done)
            t << QString("done ") + (d.utf8() ? "utf8" : "latin1");
        if (action == A::Failed) {
            const CddbDialogue::Failure &f = d.failure();
            t << QString("fail %1 %2 %3").arg(kKinds[int(f.kind)]).arg(f.code).arg(kSteps[int(f.step)]);
        }
    };
    for (const QString &line : lines)
        record(d.receive(line), record);
    return t;
}

} // namespace

class tst_cddbdialogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void conversation_data()
    {
        QTest::addColumn<QStringList>("server");
        QTest::addColumn<int>("pick");
        QTest::addColumn<QStringList>("expected");
        const QStringList read = {"> cddb read rock 2903a304"};
        const QStringList success = {"ok > quit", "done utf8"};
        const QStringList bye = {"230 Goodbye", "more after the end"};
        const QString a = "rock 2903a304 Северный ветер / Огни большого города";
        const QString aText = "Северный ветер / Огни большого города (rock, 2903a304)";

        QTest::newRow("200: one exact match")
            << kGreeting + QStringList{"200 " + a} + entryReply() + bye << 0 << kGreeted + read + success;
        QTest::newRow("210: several, the second picked")
            << kGreeting + QStringList{"210 Found exact matches, list follows", "misc 2903A304 Other", a, "."} +
                   entryReply() + bye
            << 1 << kGreeted + QStringList{"? Other (misc, 2903a304)|" + aText} + read + success;
        QTest::newRow("210: one, no question")
            << kGreeting + QStringList{"210 Found", a, "."} + entryReply() + bye << 0 << kGreeted + read + success;
        QTest::newRow("211: even one is asked") << kGreeting + QStringList{"211 close", a, "."} + entryReply() + bye
                                                << 0 << kGreeted + QStringList{"? " + aText} + read + success;
        QTest::newRow("211: none picked") << kGreeting + QStringList{"211 close", a, "."} + bye << -1
                                          << kGreeted + QStringList{"? " + aText, "fail Cancelled 0 Choice"};
        QTest::newRow("211: empty list") << kGreeting + QStringList{"211 close", "."} << 0
                                         << kGreeted + QStringList{"fail NoMatch 211 Matches"};
        QTest::newRow("202: no match") << kGreeting + QStringList{"202 No match found."} + bye << 0
                                       << kGreeted + QStringList{"fail NoMatch 202 Query"};
        QTest::newRow("433 at the banner") << QStringList{"433 No connections allowed: 2 users", "201 ok"} << 0
                                           << QStringList{"fail Refused 433 Banner"};
        QTest::newRow("431 at hello") << kGreeting.mid(0, 1) + QStringList{"431 Handshake not successful"} << 0
                                      << kGreeted.mid(0, 1) + QStringList{"fail Refused 431 Hello"};
        QTest::newRow("402 at hello: already greeted")
            << QStringList{kGreeting[0], "402 Already shook hands", kGreeting[2], "200 " + a} + entryReply() + bye << 0
            << kGreeted + read + success;
        QTest::newRow("501 at proto: ISO 8859-1")
            << QStringList{kGreeting[0], kGreeting[1], "501 Illegal protocol level.", "200 " + a} + entryReply() +
                   QStringList{"230 bye"}
            << 0 << kGreeted + read + QStringList{"ok > quit", "done latin1"};
        QTest::newRow("502 at proto, level 5")
            << QStringList{kGreeting[0], kGreeting[1], "502 Protocol level already 5", "200 " + a} + entryReply() +
                   QStringList{"230"}
            << 0 << kGreeted + read + QStringList{"ok > quit", "done latin1"};
        QTest::newRow("502 at proto, level 6")
            << QStringList{kGreeting[0], kGreeting[1], "502 Protocol level already 6.", "200 " + a} + entryReply() +
                   QStringList{"230"}
            << 0 << kGreeted + read + success;
        QTest::newRow("409 at query") << kGreeting + QStringList{"409 No handshake"} << 0
                                      << kGreeted + QStringList{"fail ServerError 409 Query"};
        QTest::newRow("403 at read") << kGreeting + QStringList{"200 " + a, "403 Database entry is corrupt."} << 0
                                     << kGreeted + read + QStringList{"fail ServerError 403 Read"};
        QTest::newRow("530 at hello") << kGreeting.mid(0, 1) + QStringList{"530 Server error"} << 0
                                      << kGreeted.mid(0, 1) + QStringList{"fail ServerError 530 Hello"};
        QTest::newRow("no code") << QStringList{"hello there"} << 0 << QStringList{"fail Malformed 0 Banner"};
        QTest::newRow("four digits") << QStringList{"2011 x"} << 0 << QStringList{"fail Malformed 0 Banner"};
        QTest::newRow("goodbye too early")
            << kGreeting + QStringList{"230 bye"} << 0 << kGreeted + QStringList{"fail Malformed 230 Query"};
        QTest::newRow("200 without a match") << kGreeting + QStringList{"200 rock 2903a3 A / B"} << 0
                                             << kGreeted + QStringList{"fail Malformed 200 Query"};
        QTest::newRow("bad line in a list") << kGreeting + QStringList{"210 Found", "rock  A / B", "."} << 0
                                            << kGreeted + QStringList{"fail Malformed 0 Matches"};
        QTest::newRow("entry for another disc")
            << kGreeting + QStringList{"200 " + a, "210 rock 2903a304 follows", "TTITLE0=a", ".", "230"} << 0
            << kGreeted + read + QStringList{"fail Malformed 0 Entry"};
    }
    void conversation()
    {
        QFETCH(QStringList, server);
        QFETCH(int, pick);
        CddbDialogue d(CddbEntries::album(), CddbDialogue::helloFromEmail("dj@example.org", "Cratebook", "1.0"));
        QTEST(play(d, server, pick), "expected");
        if (d.step() == CddbDialogue::Step::Done) {
            QCOMPARE(d.entry().artist, "Северный ветер");
            QCOMPARE(d.entry().category, "rock");
        } else {
            QVERIFY(d.entry().isEmpty());
        }
    }

    void hello_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("command");
        QTest::newRow("address") << " dj@example.org "
                                 << "cddb hello dj example.org Cratebook 2.1";
        QTest::newRow("none") << ""
                              << "cddb hello anonymous localhost Cratebook 2.1";
        QTest::newRow("no @") << "dj"
                              << "cddb hello dj localhost Cratebook 2.1";
        QTest::newRow("no user") << "@example.org"
                                 << "cddb hello anonymous example.org Cratebook 2.1";
        QTest::newRow("blanks and a second @") << "d j@ex\tample@org"
                                               << "cddb hello dj example@org Cratebook 2.1";
        QTest::newRow("not ASCII") << "дж@пример.рф"
                                   << "cddb hello anonymous . Cratebook 2.1";
    }
    void hello()
    {
        QFETCH(QString, email);
        CddbDialogue d(CddbEntries::album(), CddbDialogue::helloFromEmail(email, "Cratebook", "2.1"));
        QCOMPARE(d.receive("200 ok"), CddbDialogue::Action::Send);
        QTEST(QString::fromLatin1(d.command()), "command");
    }
};

QTEST_GUILESS_MAIN(tst_cddbdialogue)
#include "tst_cddbdialogue.moc"
