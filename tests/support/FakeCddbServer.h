#pragma once

// A CDDB server of the tests' own on 127.0.0.1, answering from canned replies: the lookups run against it
// and never reach a real server.

#include "support/CddbEntries.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// The match line of CddbEntries::kAlbumEntry.
inline const QByteArray kAlbumMatch = "rock 2903a304 Северный ветер / Огни большого города";

// The reply to "cddb read" for `entry` (lines separated by LF) in `category`: 210, the lines, ".".
inline QByteArray entryReply(const char *category, const QByteArray &entry)
{
    QByteArray reply = "210 " + QByteArray(category) + " 2903a304 CD database entry follows\r\n";
    for (const QByteArray &line : entry.split('\n')) {
        if (!line.isEmpty())
            reply += line + "\r\n";
    }
    return reply + ".\r\n";
}

// Answers each command with the reply of the longest key it starts with; a command without one gets no
// answer. "quit", and the keys in closeAfter ("banner" among them), close the connection after the reply.
class FakeCddbServer : public QObject
{
public:
    FakeCddbServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection())
                serve(s);
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    QTcpSocket *client() const { return m_client; }

    QByteArray banner = "201 cddb.test CDDBP server v1.5.2PL0 ready at Mon Jan 1 00:00:00 2024\r\n";
    QMap<QByteArray, QByteArray> replies = {{"cddb hello", "200 Hello and welcome dj@example.org\r\n"},
                                            {"proto", "201 OK, protocol version now: 6\r\n"},
                                            {"cddb query", "200 " + kAlbumMatch + "\r\n"},
                                            {"cddb read", entryReply("rock", CddbEntries::kAlbumEntry)},
                                            {"quit", "230 Goodbye\r\n"}};
    QByteArrayList closeAfter;
    QByteArrayList received;
    bool clientGone = false;

private:
    void serve(QTcpSocket *s)
    {
        m_client = s;
        connect(s, &QTcpSocket::disconnected, this, [this] { clientGone = true; });
        connect(s, &QTcpSocket::readyRead, this, [this, s] {
            while (s->canReadLine()) {
                const QByteArray command = s->readLine().trimmed();
                received << command;
                QByteArray key;
                for (auto it = replies.cbegin(); it != replies.cend(); ++it) {
                    if (command.startsWith(it.key()) && it.key().size() > key.size())
                        key = it.key();
                }
                if (key.isEmpty())
                    continue;
                s->write(replies.value(key));
                if (key == "quit" || closeAfter.contains(key))
                    s->disconnectFromHost();
            }
        });
        s->write(banner);
        if (closeAfter.contains("banner"))
            s->disconnectFromHost();
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
};
