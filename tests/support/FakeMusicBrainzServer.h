#pragma once

// A MusicBrainz web service of the tests' own: plain HTTP on 127.0.0.1, answering each request from canned
// answers, so that the lookups never reach the real service.

#include <QByteArray>
#include <QByteArrayList>
#include <QElapsedTimer>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

// An HTTP answer with `code`, the headers `extra` (each ending in CR LF) and `body`.
inline QByteArray httpAnswer(int code, const QByteArray &body, const QByteArray &extra = QByteArray())
{
    return "HTTP/1.1 " + QByteArray::number(code) +
           " Canned\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n" + extra + "\r\n" + body;
}

// Answers a lookup by disc id with byDiscId and one by table of contents ("discid/-") with byToc; a 404
// where one is empty. Keeps each request's head and when it came.
class FakeMusicBrainzServer : public QObject
{
public:
    FakeMusicBrainzServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        m_clock.start();
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection())
                serve(s);
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    QString url() const { return "http://127.0.0.1:" + QString::number(port()); }

    QByteArray byDiscId;
    QByteArray byToc;
    QByteArrayList requests; // each request's head
    QList<qint64> times;     // when each came, in ms

private:
    void serve(QTcpSocket *s)
    {
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QTcpSocket::readyRead, this, [this, s] {
            m_pending[s] += s->readAll();
            if (!m_pending[s].startsWith("GET ")) { // a TLS greeting, say
                s->write(httpAnswer(400, "{}"));
                s->disconnectFromHost();
                return;
            }
            if (!m_pending[s].contains("\r\n\r\n"))
                return;
            const QByteArray head = m_pending.take(s);
            requests << head;
            times << m_clock.elapsed();
            const QByteArray &answer = head.startsWith("GET /ws/2/discid/-?") ? byToc : byDiscId;
            s->write(answer.isEmpty() ? httpAnswer(404, R"({"error":"Not Found"})") : answer);
            s->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    QElapsedTimer m_clock;
    QHash<QTcpSocket *, QByteArray> m_pending;
};
