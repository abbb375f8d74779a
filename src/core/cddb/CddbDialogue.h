#pragma once

#include "DiscToc.h"
#include "XmcdEntry.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The conversation with a CDDB server over CDDBP about one disc, as a state machine over the lines the
// server sends: it is given each line and says what to do next, and knows nothing of sockets.
//
//   server: banner          200 or 201: go on; 432, 433, 434: the server refuses connections
//   client: cddb hello <user> <host> <client> <version>
//   server:                 200 (or 402, already introduced): go on; 431: refused
//   client: proto 6         (text in UTF-8)
//   server:                 201, or 502 naming level 6 or more: UTF-8 from here on. 501 (level 6 not
//                           supported), or 502 naming a lower level: the server stays at its own level,
//                           whose text is ISO 8859-1; the conversation goes on in it.
//   client: cddb query <disc id> <tracks> <offsets...> <seconds>
//   server:                 200 <category> <disc id> <title>: the one exact match
//                           210 (exact matches) or 211 (inexact ones), then one match a line, then ".":
//                           the user picks one. A list of one exact match needs no pick; inexact matches
//                           are always offered, even one. An empty list is as no match.
//                           202: no match. Anything else fails.
//   client: cddb read <category> <disc id>
//   server:                 210, then the xmcd entry, then "."
//   client: quit
//   server:                 230 (or the server closes): done.
//
// Any other reply fails the lookup: 4xx and 5xx are the server's errors, a line without a three-digit
// code or a reply the step does not expect is a malformed answer, and so is a match line or an entry that
// cannot be read.
class CddbDialogue
{
public:
    // Who the client introduces itself as in "cddb hello". Blank parts are filled in by start().
    struct Hello
    {
        QString user;
        QString host;
        QString client;
        QString version;
    };
    // The user and host of "cddb hello" made from an e-mail address: the parts before and after the
    // first "@". Without an address (or a part of it) the user is "anonymous" and the host "localhost";
    // blanks and control characters, which would split the command, are left out.
    static Hello helloFromEmail(const QString &email, const QString &client, const QString &version);

    enum class Action {
        Wait,      // read the next line
        Send,      // send command() (a line end is to be added), then read the next line
        Choose,    // let the user pick one of matches(), then call choose()
        Succeeded, // entry() is the disc: send command() ("quit"); the goodbye may be waited for or not
        Done,      // the server said goodbye (or may simply close now)
        Failed,    // failure() tells why
    };

    enum class FailureKind {
        None,
        Refused,     // the server refuses us: at the banner (432, 433, 434) or at "cddb hello" (431)
        NoMatch,     // 202, or an empty list of matches
        Cancelled,   // the user picked no match
        ServerError, // a 4xx or 5xx reply
        Malformed,   // a reply that cannot be read, or one the step does not expect
    };
    enum class Step { Banner, Hello, Proto, Query, Matches, Choice, Read, Entry, Quit, Done, Failed };

    struct Failure
    {
        FailureKind kind = FailureKind::None;
        Step step = Step::Banner; // where it failed
        int code = 0;             // the server's reply code, 0 when the reply had none
        QString line;             // the server's line, empty when the failure is not about one
        XmcdEntry::Error entryError = XmcdEntry::Error::None;
    };

    struct Match
    {
        QString category;
        QString discId;
        QString title;
        // How the user is shown it: "Artist / Album (category, disc id)".
        QString displayText() const;
    };

    CddbDialogue(const DiscToc &toc, const Hello &hello);

    // The next line the server sent. Lines that arrive after success or failure are ignored (Wait).
    Action receive(const QString &line);
    // The user's pick among matches() (-1: none); only after Action::Choose.
    Action choose(int index);

    Step step() const { return m_step; }
    // Whether the server speaks UTF-8 (level 6) rather than ISO 8859-1.
    bool utf8() const { return m_utf8; }
    QByteArray command() const { return m_command; }
    const QList<Match> &matches() const { return m_matches; }
    QStringList matchTexts() const;
    const Failure &failure() const { return m_failure; }
    const XmcdEntry &entry() const { return m_entry; }

    // A reply code: the three leading digits of `line` when a blank or nothing follows them, else -1.
    static int replyCode(const QString &line);
    // A match line ("rock 7a0b1c0c Artist / Album"), false when it is not one.
    static bool parseMatch(QStringView text, Match *match);

private:
    Action send(Step next, const QByteArray &command);
    Action fail(FailureKind kind, int code, const QString &line, XmcdEntry::Error entryError = XmcdEntry::Error::None);
    Action read(const Match &match);
    Action matchListEnded();

    DiscToc m_toc;
    Hello m_hello;
    Step m_step = Step::Banner;
    bool m_utf8 = false;
    bool m_exactList = false;
    QByteArray m_command;
    QList<Match> m_matches;
    QStringList m_entryLines;
    QString m_category;
    Failure m_failure;
    XmcdEntry m_entry;
};
