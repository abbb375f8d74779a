#pragma once

#include "core/cddb/DiscToc.h"
#include "core/cddb/MusicBrainzReply.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// One disc looked up in the MusicBrainz web service over HTTP(S): by its disc id, then, when the service
// does not know the id, by its table of contents. The CD lookup control runs it in place of a CDDB
// conversation and passes on what it reports.
//
// Requests carry a User-Agent naming the program and its version, and never come closer than a second to
// the one before (the service's rule for anonymous clients). An answer over MusicBrainzReply::kMaxBytes is
// cut off. Several releases are offered to the chooser; one is taken as it is.
//
// Signals: reached() when the first answer arrives; line() for each answer, naming the service, the HTTP
// status and what was asked; then exactly one of succeeded() or failed(), unless stop() comes first.
class MusicBrainzLookup : public QObject
{
    Q_OBJECT

public:
    // Given the releases' display texts; returns the index picked, or -1 for none.
    using Chooser = std::function<int(const QStringList &releases)>;

    explicit MusicBrainzLookup(QObject *parent = nullptr);
    ~MusicBrainzLookup() override;

    // Looks up `toc` (a valid table of contents) with the MusicBrainz disc id `discId` at the service root
    // `service` (see MusicBrainzRequest::serviceUrl); a request gives up after `timeoutMs` of silence.
    void start(const QUrl &service, const QString &discId, const DiscToc &toc, int timeoutMs, Chooser chooser);
    // Ends the lookup at once, without a signal.
    void stop();

    // "Cratebook/<version>", as the requests name the program.
    static QByteArray userAgent();
    // The MusicBrainz disc id of `toc` (a valid table of contents), as libdiscid computes it.
    static QString discId(const DiscToc &toc);

Q_SIGNALS:
    void reached();
    void line(const QString &text);
    void succeeded(const MusicBrainzReply::Release &release);
    void failed(const QString &text);

private:
    void request(const QUrl &url);
    void send(const QUrl &url);
    void answered(QNetworkReply *reply);
    // Reports the first answer of the lookup (reached()) and each answer's status (line()), once a reply;
    // false when the lookup was stopped meanwhile.
    bool heard(QNetworkReply *reply);
    void fail(const QString &text);

    QNetworkAccessManager *m_network;
    QNetworkReply *m_reply = nullptr;
    QUrl m_service;
    QString m_discId;
    DiscToc m_toc;
    int m_timeoutMs = 30000;
    Chooser m_chooser;
    bool m_byToc = false;
    bool m_reached = false;
    quint64 m_generation = 0; // a request queued for a stopped lookup does nothing
};
