#include "BenchCommon.h"
#include "core/cddb/DiscToc.h"
#include "core/modGlobalData.h"
#include "ui/edit/CddbControl.h"
#include "ui/edit/frmCDDB.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace Bench;

namespace {

// A disc of four tracks and a CDDB server on 127.0.0.1 that answers its lookup with an entry padded by
// comment lines of one character to just under the client's 1 MiB limit: the most lines an answer can have.
DiscToc fourTracks()
{
    DiscToc disc;
    disc.frameOffsets = {150, 18390, 35700, 52815};
    disc.leadout = 70000;
    return disc;
}

QByteArray paddedEntry(const DiscToc &disc, int *lines)
{
    const QByteArray id = disc.discIdText().toLatin1();
    const QByteArray head = "201 bench ready\r\n200 Hello\r\n201 OK, protocol version now: 6\r\n200 rock " + id +
                            " Bench / Album\r\n210 rock " + id + "\r\n";
    const QByteArray tail = "DISCID=" + id +
                            "\r\nDTITLE=Bench / Album\r\nDGENRE=Rock\r\nTTITLE0=A\r\nTTITLE1=B\r\n"
                            "TTITLE2=C\r\nTTITLE3=D\r\nEXTD=\r\nPLAYORDER=\r\n.\r\n";
    QByteArray answer = head;
    const int padding = int(((1 << 20) - 64 - head.size() - tail.size()) / 3);
    answer.reserve(head.size() + padding * 3 + tail.size());
    for (int i = 0; i < padding; ++i)
        answer += "#\r\n";
    answer += tail;
    *lines = int(answer.count('\n'));
    return answer;
}

// Serves each connection: the banner, then one reply per command, the whole entry at once after "cddb read".
class Server : public QObject
{
public:
    explicit Server(const QByteArray &answer)
    {
        const qsizetype entryAt = answer.indexOf("210 ");
        m_replies = {answer.left(answer.indexOf('\n') + 1)};
        for (qsizetype at = m_replies.first().size(); at < entryAt;) {
            const qsizetype end = answer.indexOf('\n', at) + 1;
            m_replies.append(answer.mid(at, end - at));
            at = end;
        }
        m_replies.append(answer.mid(entryAt));
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *s = m_server.nextPendingConnection();
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            auto next = std::make_shared<int>(1);
            connect(s, &QTcpSocket::readyRead, s, [this, s, next] {
                while (s->canReadLine()) {
                    s->readLine();
                    if (*next < m_replies.size())
                        s->write(m_replies.at((*next)++));
                }
            });
            s->write(m_replies.first());
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    QTcpServer m_server;
    QByteArrayList m_replies;
};

} // namespace

void benchCddb(int runs)
{
    const DiscToc disc = fourTracks();
    int lines = 0;
    const QByteArray answer = paddedEntry(disc, &lines);
    Server server(answer);
    modGlobalData g;
    g.options.iDisableXP = 1;
    CddbControl control;
    control.setSettings({QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("dj@example.org"), 30000});
    control.setTocReader([disc](const QString &, QList<int> &offsets, int &leadout, QString *) {
        offsets = disc.frameOffsets;
        leadout = disc.leadout;
        return true;
    });
    frmCDDB dialog(g.options, &control, nullptr);
    dialog.txt1->addItem(QStringLiteral("/dev/bench"));
    dialog.txt1->setCurrentIndex(0);
    dialog.show();

    std::vector<double> held, total, idle, split;
    for (int r = 0; r < runs; ++r) {
        bool found = false;
        const QMetaObject::Connection c = QObject::connect(
            &dialog, &frmCDDB::discFound, [&](const QString &, const QString &, int tracks) { found = tracks == 4; });
        QElapsedTimer clock;
        clock.start();
        dialog.Command2_Click();
        held.push_back(longestTurn([&] { return control.isRunning(); }));
        total.push_back(double(clock.nsecsElapsed()) / 1e6);
        QObject::disconnect(c);
        if (!found) {
            std::printf("%-28s failed: %s\n", "CDDB 1 MiB answer", qPrintable(dialog.logText()));
            return;
        }
        dialog.show();
        // The same time with nothing to do: how long a turn of the loop takes here anyway.
        QElapsedTimer idleClock;
        idleClock.start();
        const qint64 span = clock.nsecsElapsed();
        idle.push_back(longestTurn([&] { return idleClock.nsecsElapsed() < qMin<qint64>(span, 500'000'000); }));
        split.push_back(timeMs([&] {
            QStringList text;
            for (const QByteArray &line : answer.split('\n'))
                text.append(QString::fromUtf8(line));
        }));
    }
    report("CDDB answer, longest hold", lines, median(held), median(idle), "idle loop, longest turn", "lines");
    report("CDDB answer, whole lookup", lines, median(total), median(split), "split into lines", "lines");
}
