#include "MusicBrainzLookup.h"

#include "core/cddb/MusicBrainzRequest.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

#include <discid/discid.h>
#include <utility>

#ifndef CRATEBOOK_VERSION
#define CRATEBOOK_VERSION "0"
#endif

namespace {

// The service allows an anonymous client one request a second; the clock is the program's, so that two
// lookups one after the other keep to it too.
constexpr qint64 kRequestGapMs = 1000;
QElapsedTimer &requestClock()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer;
}
qint64 g_lastRequestMs = -kRequestGapMs;

QString networkErrorText(QNetworkReply::NetworkError error, const QUrl &url)
{
    const QString host = url.host();
    switch (error) {
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Сервер MusicBrainz ") + host + QStringLiteral(" не найден.");
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Сервер MusicBrainz ") + host + QStringLiteral(" отказал в соединении.");
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::UnknownNetworkError:
        if (url.scheme() == QLatin1String("https")) {
            return QStringLiteral("Не удается установить защищённое соединение с сервером MusicBrainz ") + host +
                   QLatin1Char('.');
        }
        break;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("Сервер MusicBrainz не отвечает.");
    default:
        break;
    }
    return QStringLiteral("Нет связи с сервером MusicBrainz ") + host + QLatin1Char('.');
}

} // namespace

MusicBrainzLookup::MusicBrainzLookup(QObject *parent) : QObject(parent), m_network(new QNetworkAccessManager(this)) {}

MusicBrainzLookup::~MusicBrainzLookup()
{
    stop();
}

QByteArray MusicBrainzLookup::userAgent()
{
    return QByteArrayLiteral("Cratebook/" CRATEBOOK_VERSION);
}

QString MusicBrainzLookup::discId(const DiscToc &toc)
{
    int offsets[100] = {};
    offsets[0] = toc.leadout;
    for (int i = 0; i < toc.trackCount() && i < 99; ++i)
        offsets[i + 1] = toc.frameOffsets.at(i);
    DiscId *disc = discid_new();
    QString id;
    if (discid_put(disc, 1, toc.trackCount(), offsets))
        id = QString::fromLatin1(discid_get_id(disc));
    discid_free(disc);
    return id;
}

void MusicBrainzLookup::start(const QUrl &service, const QString &discId, const DiscToc &toc, int timeoutMs,
                              Chooser chooser)
{
    stop();
    m_service = service;
    m_discId = discId;
    m_toc = toc;
    m_timeoutMs = qMax(timeoutMs, 1);
    m_chooser = std::move(chooser);
    m_byToc = discId.isEmpty();
    m_reached = false;
    request(m_byToc ? MusicBrainzRequest::tocUrl(service, toc) : MusicBrainzRequest::discIdUrl(service, discId));
}

void MusicBrainzLookup::stop()
{
    ++m_generation;
    if (QNetworkReply *reply = std::exchange(m_reply, nullptr)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void MusicBrainzLookup::request(const QUrl &url)
{
    const qint64 wait = g_lastRequestMs + kRequestGapMs - requestClock().elapsed();
    if (wait <= 0)
        return send(url);
    const quint64 generation = m_generation;
    QTimer::singleShot(wait, this, [this, url, generation] {
        if (generation == m_generation)
            send(url);
    });
}

void MusicBrainzLookup::send(const QUrl &url)
{
    if (!url.isValid())
        return fail(QStringLiteral("Неверный адрес сервера MusicBrainz в файле settings.ini: раздел [MusicBrainz], "
                                   "ключ Server."));
    g_lastRequestMs = requestClock().elapsed();
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setRawHeader("Accept", "application/json");
    request.setTransferTimeout(m_timeoutMs);
    m_reply = m_network->get(request);
    QNetworkReply *reply = m_reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        if (reply != m_reply || qMax(received, total) <= MusicBrainzReply::kMaxBytes)
            return;
        const QPointer<MusicBrainzLookup> alive(this);
        const quint64 generation = m_generation;
        if (heard(reply) && alive && generation == m_generation)
            fail(MusicBrainzReply::statusText(MusicBrainzReply::Status::TooLarge));
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        if (reply == m_reply)
            answered(reply);
    });
}

void MusicBrainzLookup::answered(QNetworkReply *reply)
{
    m_reply = nullptr;
    reply->deleteLater();
    const QPointer<MusicBrainzLookup> alive(this);
    const quint64 generation = m_generation;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return fail(networkErrorText(reply->error(), reply->url()));
    if (!heard(reply) || !alive || generation != m_generation)
        return;
    const int code = status.toInt();
    if (code == 503) {
        const qint64 wait =
            MusicBrainzRequest::retryAfterSeconds(reply->rawHeader("Retry-After"), QDateTime::currentDateTimeUtc());
        return fail(wait < 0 ? QStringLiteral("Сервер MusicBrainz перегружен. Повторите попытку позже.")
                             : QStringLiteral("Сервер MusicBrainz перегружен. Повторите попытку через ") +
                                   QString::number(qMax<qint64>(wait, 1)) + QStringLiteral(" с."));
    }
    MusicBrainzReply::Status result = MusicBrainzReply::Status::NotFound;
    MusicBrainzReply parsed;
    if (code == 200) {
        parsed = MusicBrainzReply::parse(reply->read(MusicBrainzReply::kMaxBytes + 1), m_discId, m_toc.trackCount());
        result = parsed.status();
    } else if (code != 404) {
        return fail(QStringLiteral("Сервер MusicBrainz сообщил об ошибке: HTTP ") + QString::number(code) +
                    QLatin1Char('.'));
    }
    if (result == MusicBrainzReply::Status::NotFound && !m_byToc) {
        m_byToc = true;
        return request(MusicBrainzRequest::tocUrl(m_service, m_toc));
    }
    if (result != MusicBrainzReply::Status::Ok)
        return fail(MusicBrainzReply::statusText(result));

    int pick = 0;
    if (parsed.releases().size() > 1) {
        QStringList texts;
        for (const MusicBrainzReply::Release &release : parsed.releases())
            texts.append(release.displayText());
        pick = m_chooser ? m_chooser(texts) : 0;
        if (!alive || generation != m_generation)
            return;
        if (pick < 0 || pick >= parsed.releases().size())
            return fail(QStringLiteral("Диск не выбран."));
    }
    ++m_generation;
    Q_EMIT succeeded(parsed.releases().at(pick));
}

bool MusicBrainzLookup::heard(QNetworkReply *reply)
{
    if (reply->property("heard").toBool())
        return true;
    reply->setProperty("heard", true);
    const QPointer<MusicBrainzLookup> alive(this);
    const quint64 generation = m_generation;
    if (!m_reached) {
        m_reached = true;
        Q_EMIT reached();
        if (!alive || generation != m_generation)
            return false;
    }
    const QUrl url = reply->url();
    Q_EMIT line(QStringLiteral("MusicBrainz ") + url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery).toString() +
                QStringLiteral(": HTTP ") +
                QString::number(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()) + QLatin1Char(' ') +
                reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed() +
                QStringLiteral(", ") + url.path());
    return alive && generation == m_generation;
}

void MusicBrainzLookup::fail(const QString &text)
{
    stop();
    Q_EMIT failed(text);
}
