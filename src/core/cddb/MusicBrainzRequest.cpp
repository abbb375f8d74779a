#include "MusicBrainzRequest.h"

#include "core/settings/IniFile.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrlQuery>

namespace MusicBrainzRequest {

namespace {

const QString kSection = QStringLiteral("MusicBrainz");
const QString kIncludes = QStringLiteral("recordings+artist-credits+labels+genres");

QUrl lookupUrl(const QUrl &service, const QString &discId, const QString &toc)
{
    if (!service.isValid())
        return QUrl();
    QUrl url = service;
    url.setPath(service.path() + QStringLiteral("/ws/2/discid/") + discId);
    // Built by hand: "+" separates the includes and the numbers of the table of contents, and QUrlQuery
    // would leave it as it is, which the service reads as a "+", not a blank: both mean the same to it.
    QString query = QStringLiteral("inc=") + kIncludes;
    if (!toc.isEmpty())
        query += QStringLiteral("&toc=") + toc + QStringLiteral("&cdstubs=no");
    url.setQuery(query + QStringLiteral("&fmt=json"));
    return url;
}

// The month of an HTTP date from its English abbreviation, 0 when it is none.
int month(const QString &name)
{
    static const QStringList kMonths = {QStringLiteral("jan"), QStringLiteral("feb"), QStringLiteral("mar"),
                                        QStringLiteral("apr"), QStringLiteral("may"), QStringLiteral("jun"),
                                        QStringLiteral("jul"), QStringLiteral("aug"), QStringLiteral("sep"),
                                        QStringLiteral("oct"), QStringLiteral("nov"), QStringLiteral("dec")};
    return int(kMonths.indexOf(name.toLower())) + 1;
}

// An HTTP date in any of its three forms (RFC 9110): "Sun, 06 Nov 1994 08:49:37 GMT",
// "Sunday, 06-Nov-94 08:49:37 GMT" and "Sun Nov  6 08:49:37 1994". Invalid when it is none of them.
QDateTime httpDate(const QString &text)
{
    static const QRegularExpression kImf(
        QStringLiteral("^[A-Za-z]{3}, (\\d{2}) ([A-Za-z]{3}) (\\d{4}) (\\d{2}):(\\d{2}):(\\d{2}) GMT$"));
    static const QRegularExpression kRfc850(
        QStringLiteral("^[A-Za-z]{6,9}, (\\d{2})-([A-Za-z]{3})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2}) GMT$"));
    static const QRegularExpression kAsctime(
        QStringLiteral("^[A-Za-z]{3} ([A-Za-z]{3}) ([ \\d]\\d) (\\d{2}):(\\d{2}):(\\d{2}) (\\d{4})$"));
    int day = 0, mon = 0, year = 0, h = 0, m = 0, s = 0;
    QRegularExpressionMatch match;
    if ((match = kImf.match(text)).hasMatch() || (match = kRfc850.match(text)).hasMatch()) {
        day = match.captured(1).toInt();
        mon = month(match.captured(2));
        year = match.captured(3).toInt();
        h = match.captured(4).toInt();
        m = match.captured(5).toInt();
        s = match.captured(6).toInt();
        if (match.captured(3).size() == 2) {
            // A two-digit year more than 50 years ahead is in the past century.
            const int now = QDate::currentDate().year();
            year += now - now % 100;
            if (year > now + 50)
                year -= 100;
        }
    } else if ((match = kAsctime.match(text)).hasMatch()) {
        mon = month(match.captured(1));
        day = match.captured(2).trimmed().toInt();
        h = match.captured(3).toInt();
        m = match.captured(4).toInt();
        s = match.captured(5).toInt();
        year = match.captured(6).toInt();
    }
    const QDate date(year, mon, day);
    const QTime time(h, m, s == 60 ? 59 : s);
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

} // namespace

QUrl serviceUrl(const QString &server)
{
    const QString text = server.trimmed();
    QUrl url(text.contains(QStringLiteral("://")) ? text : QStringLiteral("https://") + text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.hasQuery() || url.hasFragment() ||
        !url.userInfo().isEmpty())
        return QUrl();
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    url.setPath(path);
    return url;
}

QUrl discIdUrl(const QUrl &service, const QString &discId)
{
    return lookupUrl(service, QString::fromLatin1(QUrl::toPercentEncoding(discId)), QString());
}

QUrl tocUrl(const QUrl &service, const DiscToc &toc)
{
    return lookupUrl(service, QStringLiteral("-"), tocParameter(toc));
}

QString tocParameter(const DiscToc &toc)
{
    QStringList parts = {QStringLiteral("1"), QString::number(toc.trackCount()), QString::number(toc.leadout)};
    for (const int offset : toc.frameOffsets)
        parts.append(QString::number(offset));
    return parts.join(QLatin1Char('+'));
}

bool useMusicBrainz(const IniFile &ini)
{
    const QString use = ini.value(kSection, QStringLiteral("Use")).trimmed();
    if (use == QLatin1String("1"))
        return true;
    if (use == QLatin1String("0"))
        return false;
    const QString cddb = QStringLiteral("CDDB");
    return ini.value(cddb, QStringLiteral("Server")).trimmed().isEmpty() &&
           ini.value(cddb, QStringLiteral("Email")).trimmed().isEmpty();
}

QString server(const IniFile &ini)
{
    const QString value = ini.value(kSection, QStringLiteral("Server")).trimmed();
    return value.isEmpty() ? QString::fromLatin1(kDefaultServer) : value;
}

qint64 retryAfterSeconds(const QByteArray &header, const QDateTime &now)
{
    const QString text = QString::fromLatin1(header).trimmed();
    if (text.isEmpty())
        return -1;
    static const QRegularExpression kSeconds(QStringLiteral("^\\d{1,18}$"));
    if (kSeconds.match(text).hasMatch())
        return text.toLongLong();
    const QDateTime when = httpDate(text);
    if (!when.isValid())
        return -1;
    return qMax<qint64>(0, (now.msecsTo(when) + 999) / 1000);
}

} // namespace MusicBrainzRequest
