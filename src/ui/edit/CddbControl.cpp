#include "CddbControl.h"

#include "CdDrive.h"
#include "CddbMatchDialog.h"
#include "MusicBrainzLookup.h"
#include "core/cddb/CddbDialogue.h"
#include "core/cddb/CddbLineReader.h"
#include "core/cddb/DiscToc.h"
#include "core/cddb/MusicBrainzRequest.h"
#include "core/cddb/XmcdEntry.h"
#include "core/edit/EditorRules.h"
#include "core/settings/IniFile.h"
#include "ui/platform/Modal.h"

#include <QApplication>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

#ifndef CRATEBOOK_VERSION
#define CRATEBOOK_VERSION "0"
#endif

namespace {

const QString kSection = QStringLiteral("CDDB");
const QString kClientName = QStringLiteral("Cratebook");
// A disc entry is a few kilobytes; a server that sends more than this in one lookup is not answering.
constexpr qint64 kMaxAnswerBytes = 1 << 20;
// Lines handled in one turn of the event loop: the window stays responsive (and "Отмена" acts at once)
// however many lines an answer has.
constexpr int kLinesPerTurn = 500;

// The server's line, then on a line of its own what it means for the user.
QString afterLine(const QString &line, const QString &text)
{
    return line.isEmpty() ? text : line + QStringLiteral("\r\n") + text;
}

QString failureText(const CddbDialogue::Failure &failure)
{
    using Kind = CddbDialogue::FailureKind;
    switch (failure.kind) {
    case Kind::Refused:
        if (failure.step == CddbDialogue::Step::Hello) {
            return afterLine(failure.line, QStringLiteral("Укажите адрес электронной почты, зарегистрированный на "
                                                          "сервере CDDB, в файле settings.ini: раздел [CDDB], ключ "
                                                          "Email."));
        }
        return afterLine(failure.line, QStringLiteral("Сервер CDDB сейчас не принимает соединения. Повторите попытку "
                                                      "позже или укажите другой сервер в файле settings.ini: раздел "
                                                      "[CDDB], ключ Server."));
    case Kind::NoMatch:
        return afterLine(failure.line, QStringLiteral("Диска нет в базе CDDB."));
    case Kind::Cancelled:
        return QStringLiteral("Диск не выбран.");
    case Kind::ServerError:
        return afterLine(failure.line, QStringLiteral("Сервер CDDB сообщил об ошибке."));
    case Kind::Malformed:
    case Kind::None:
        break;
    }
    switch (failure.entryError) {
    case XmcdEntry::Error::None:
        return afterLine(failure.line, QStringLiteral("Сервер CDDB прислал ответ, который не удается разобрать."));
    case XmcdEntry::Error::TrackCountMismatch:
        return QStringLiteral("Число треков в записи CDDB не совпадает с числом треков на диске.");
    default:
        return QStringLiteral("Сервер CDDB прислал неверную запись о диске.");
    }
}

QString readerErrorText(CddbLineReader::Error error)
{
    return error == CddbLineReader::Error::LineTooLong
               ? QStringLiteral("Сервер CDDB прислал слишком длинную строку.")
               : QStringLiteral("Сервер CDDB прислал текст в неверной кодировке.");
}

QString socketErrorText(QAbstractSocket::SocketError error, const CddbControl::Settings &settings)
{
    const QString server = settings.server + QLatin1Char(':') + QString::number(settings.port);
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("Сервер CDDB ") + settings.server + QStringLiteral(" не найден.");
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("Сервер CDDB ") + server + QStringLiteral(" отказал в соединении.");
    default:
        return QStringLiteral("Нет связи с сервером CDDB ") + server + QLatin1Char('.');
    }
}

} // namespace

struct CddbControl::Private
{
    explicit Private(CddbControl *control) : q(control) {}

    void begin(const QString &drive);
    void askMusicBrainz(const DiscToc &toc);
    void onConnected(quint64 lookup);
    void onReadyRead(quint64 lookup);
    void onClosed(quint64 lookup);
    void onTimeout();
    // Takes the whole lines received and answers them, while `lookup` runs: a batch of them, the rest in
    // later turns of the event loop. Once the server has closed and every line is taken, ends the lookup.
    void takeLines(quint64 lookup);
    void takeLinesLater(quint64 lookup);
    void act(CddbDialogue::Action action, quint64 lookup);
    int ask(const QStringList &matches);
    // Ends the lookup: failure() (unless it succeeded or was stopped), disconnected() when connected,
    // finished().
    void end(bool ok, bool report = false, int code = 0, const QString &text = QString());
    void closeSocket();
    bool running() const { return phase == Phase::Starting || phase == Phase::Talking; }

    CddbControl *q;
    Settings settings;
    TocReader tocReader;
    MatchChooser chooser;

    // Starting: waiting for the event loop to read the disc; Talking: connecting to or talking with the
    // server; Ending: sending the last signals, when neither a new lookup nor stop() may start.
    enum class Phase { Idle, Starting, Talking, Ending };
    Phase phase = Phase::Idle;
    quint64 current = 0; // counts lookups: anything queued for an earlier one does nothing
    bool connected = false;
    bool choosing = false;
    quint64 linesQueuedFor = 0; // the lookup whose lines wait for the next turn, 0 for none
    bool serverClosed = false;
    QTcpSocket *socket = nullptr;
    QTimer timeout;
    std::optional<CddbDialogue> dialogue;
    CddbLineReader reader;
    qint64 received = 0;
    QPointer<CddbMatchDialog> matchDialog;
    MusicBrainzLookup *musicBrainz = nullptr;
    // The disc MusicBrainz found, taken as the lookup ends.
    XmcdEntry found;
    // The disc of the last lookup that succeeded.
    XmcdEntry disc;
};

void CddbControl::Private::begin(const QString &drive)
{
    const quint64 lookup = current;
    if (drive.isEmpty())
        return end(false, true, 0, QStringLiteral("Не найден CD-дисковод."));
    QList<int> offsets;
    int leadout = 0;
    QString error;
    const QPointer<CddbControl> alive(q);
    const bool read =
        tocReader ? tocReader(drive, offsets, leadout, &error) : CdDrive::readToc(drive, offsets, leadout, &error);
    if (!alive || lookup != current)
        return;
    if (!read) {
        return end(false, true, 0,
                   error.isEmpty()
                       ? QStringLiteral("Не удается прочитать компакт-диск в дисководе ") + drive + QLatin1Char('.')
                       : error);
    }
    DiscToc toc;
    toc.frameOffsets = offsets;
    toc.leadout = leadout;
    if (!toc.isValid()) {
        return end(false, true, 0,
                   QStringLiteral("Не удается прочитать оглавление компакт-диска в дисководе ") + drive +
                       QLatin1Char('.'));
    }

    if (settings.musicBrainz)
        return askMusicBrainz(toc);
    dialogue.emplace(toc, CddbDialogue::helloFromEmail(settings.email, kClientName, QStringLiteral(CRATEBOOK_VERSION)));
    reader = CddbLineReader();
    received = 0;
    serverClosed = false;
    phase = Phase::Talking;
    socket = new QTcpSocket(q);
    QObject::connect(socket, &QTcpSocket::connected, q, [this, lookup] { onConnected(lookup); });
    QObject::connect(socket, &QTcpSocket::readyRead, q, [this, lookup] { onReadyRead(lookup); });
    QObject::connect(socket, &QTcpSocket::disconnected, q, [this, lookup] { onClosed(lookup); });
    QObject::connect(socket, &QTcpSocket::errorOccurred, q, [this, lookup](QAbstractSocket::SocketError e) {
        if (lookup != current)
            return;
        if (e == QAbstractSocket::RemoteHostClosedError)
            onClosed(lookup);
        else
            end(false, true, 0, socketErrorText(e, settings));
    });
    timeout.start(qMax(settings.timeoutMs, 1));
    socket->connectToHost(settings.server, settings.port);
}

void CddbControl::Private::askMusicBrainz(const DiscToc &toc)
{
    dialogue.reset();
    phase = Phase::Talking;
    const quint64 lookup = current;
    musicBrainz->disconnect(q);
    QObject::connect(musicBrainz, &MusicBrainzLookup::reached, q, [this, lookup] {
        if (lookup == current)
            onConnected(lookup);
        timeout.stop(); // the requests keep their own time
    });
    QObject::connect(musicBrainz, &MusicBrainzLookup::line, q, &CddbControl::lineReceived);
    QObject::connect(musicBrainz, &MusicBrainzLookup::failed, q,
                     [this](const QString &text) { end(false, true, 0, text); });
    QObject::connect(musicBrainz, &MusicBrainzLookup::succeeded, q, [this](const MusicBrainzReply::Release &release) {
        found = XmcdEntry();
        found.artist = release.artist;
        found.album = release.album;
        found.label = release.label;
        found.genre = release.style;
        for (const MusicBrainzReply::Track &track : release.tracks)
            found.tracks.append({track.artist, track.title, track.lengthSeconds});
        found.compilation = true; // each track has its own artist credit
        end(true);
    });
    musicBrainz->start(MusicBrainzRequest::serviceUrl(settings.musicBrainzServer), MusicBrainzLookup::discId(toc), toc,
                       settings.timeoutMs, [this](const QStringList &releases) { return ask(releases); });
}

void CddbControl::Private::onConnected(quint64 lookup)
{
    if (lookup != current)
        return;
    connected = true;
    timeout.start(qMax(settings.timeoutMs, 1));
    Q_EMIT q->connected();
}

void CddbControl::Private::onReadyRead(quint64 lookup)
{
    if (lookup != current || !socket)
        return;
    // While the user picks a match the server has nothing to say; talk then does not keep the lookup alive.
    if (!choosing)
        timeout.start(qMax(settings.timeoutMs, 1));
    const QByteArray bytes = socket->readAll();
    received += bytes.size();
    if (received > kMaxAnswerBytes)
        return end(false, true, 0, QStringLiteral("Сервер CDDB прислал слишком длинный ответ."));
    reader.append(bytes);
    takeLines(lookup);
}

void CddbControl::Private::takeLines(quint64 lookup)
{
    // While the user picks a match, the lines wait for the pick.
    if (choosing)
        return;
    const QPointer<CddbControl> alive(q);
    for (int taken = 0; lookup == current; ++taken) {
        if (taken == kLinesPerTurn)
            return takeLinesLater(lookup);
        reader.setEncoding(dialogue->utf8() ? CddbLineReader::Encoding::Utf8 : CddbLineReader::Encoding::Latin1);
        QString line;
        const CddbLineReader::Status status = reader.next(&line);
        if (status == CddbLineReader::Status::NeedMore) {
            if (serverClosed)
                end(false, true, 0, QStringLiteral("Сервер CDDB закрыл соединение, не закончив ответ."));
            return;
        }
        if (status == CddbLineReader::Status::Error)
            return end(false, true, 0, readerErrorText(reader.error()));
        Q_EMIT q->lineReceived(line);
        if (!alive || lookup != current)
            return;
        act(dialogue->receive(line), lookup);
        if (!alive)
            return;
    }
}

void CddbControl::Private::takeLinesLater(quint64 lookup)
{
    // Lines in hand are no silence of the server.
    if (!choosing)
        timeout.start(qMax(settings.timeoutMs, 1));
    if (linesQueuedFor == lookup)
        return;
    linesQueuedFor = lookup;
    QTimer::singleShot(0, q, [this, lookup] {
        if (linesQueuedFor == lookup)
            linesQueuedFor = 0;
        if (lookup == current)
            takeLines(lookup);
    });
}

void CddbControl::Private::act(CddbDialogue::Action action, quint64 lookup)
{
    using Action = CddbDialogue::Action;
    switch (action) {
    case Action::Wait:
        return;
    case Action::Send:
        socket->write(dialogue->command() + "\r\n");
        return;
    case Action::Choose: {
        timeout.stop();
        choosing = true;
        const QPointer<CddbControl> alive(q);
        const int pick = ask(dialogue->matchTexts());
        if (!alive || lookup != current)
            return;
        choosing = false;
        timeout.start(qMax(settings.timeoutMs, 1));
        return act(dialogue->choose(pick), lookup);
    }
    case Action::Succeeded:
    case Action::Done:
        // The disc is in: the server is told goodbye as the socket closes, and its answer is not waited for.
        return end(true);
    case Action::Failed:
        return end(false, true, dialogue->failure().code, failureText(dialogue->failure()));
    }
}

int CddbControl::Private::ask(const QStringList &matches)
{
    if (chooser)
        return chooser(matches);
    CddbMatchDialog dialog(matches);
    matchDialog = &dialog;
    // Over the window the user is looking at: the lookup's own dialog, shown modally, when there is one.
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    if (!owner)
        owner = qobject_cast<QWidget *>(q->parent());
    Modal::show(&dialog, owner);
    return dialog.picked();
}

void CddbControl::Private::onClosed(quint64 lookup)
{
    if (lookup != current || !socket)
        return;
    // What the server said before it closed counts: the lookup ends once its lines are taken.
    serverClosed = true;
    onReadyRead(lookup);
}

void CddbControl::Private::onTimeout()
{
    if (phase == Phase::Talking)
        end(false, true, 0, QStringLiteral("Сервер CDDB не отвечает."));
}

void CddbControl::Private::closeSocket()
{
    timeout.stop();
    choosing = false;
    musicBrainz->stop();
    if (matchDialog)
        matchDialog->reject();
    if (!socket)
        return;
    QObject::disconnect(socket, nullptr, q, nullptr);
    // A polite goodbye where the server can still hear it; nothing waits for the answer.
    if (socket->state() == QAbstractSocket::ConnectedState) {
        socket->write("quit\r\n");
        socket->flush();
    }
    socket->abort();
    socket->deleteLater();
    socket = nullptr;
}

void CddbControl::Private::end(bool ok, bool report, int code, const QString &text)
{
    if (!running())
        return;
    const bool wasConnected = connected;
    ++current;
    phase = Phase::Ending;
    closeSocket();
    if (ok)
        disc = dialogue ? dialogue->entry() : found;
    const QPointer<CddbControl> alive(q);
    if (report)
        Q_EMIT q->failure(code, text);
    if (!alive)
        return;
    if (wasConnected)
        Q_EMIT q->disconnected();
    if (!alive)
        return;
    connected = false;
    phase = Phase::Idle;
    Q_EMIT q->finished(ok);
}

CddbControl::Settings CddbControl::readSettings(const QString &iniPath)
{
    IniFile ini(iniPath);
    ini.load();
    Settings settings;
    const QString server = ini.value(kSection, QStringLiteral("Server")).trimmed();
    if (!server.isEmpty())
        settings.server = server;
    bool ok = false;
    const uint port = ini.value(kSection, QStringLiteral("Port")).trimmed().toUInt(&ok);
    if (ok && port >= 1 && port <= 65535)
        settings.port = quint16(port);
    settings.email = ini.value(kSection, QStringLiteral("Email")).trimmed();
    settings.musicBrainz = MusicBrainzRequest::useMusicBrainz(ini);
    settings.musicBrainzServer = MusicBrainzRequest::server(ini);
    return settings;
}

CddbControl::CddbControl(QObject *parent) : QObject(parent), d(std::make_unique<Private>(this))
{
    d->musicBrainz = new MusicBrainzLookup(this);
    d->timeout.setSingleShot(true);
    connect(&d->timeout, &QTimer::timeout, this, [this] { d->onTimeout(); });
}

CddbControl::~CddbControl()
{
    // Quietly: no signals from an object going away.
    ++d->current;
    d->phase = Private::Phase::Ending;
    d->closeSocket();
}

void CddbControl::setSettings(const Settings &settings)
{
    d->settings = settings;
}

const CddbControl::Settings &CddbControl::settings() const
{
    return d->settings;
}

QStringList CddbControl::drives() const
{
    return CdDrive::drives();
}

bool CddbControl::lookup(const QString &drive)
{
    if (d->phase != Private::Phase::Idle)
        return false;
    d->disc = XmcdEntry();
    d->phase = Private::Phase::Starting;
    const quint64 lookup = ++d->current;
    // Read from the event loop, so that every signal comes after this call has returned.
    QTimer::singleShot(0, this, [this, lookup, drive] {
        if (lookup == d->current && d->phase == Private::Phase::Starting)
            d->begin(drive);
    });
    return true;
}

void CddbControl::stop()
{
    d->end(false);
}

bool CddbControl::isRunning() const
{
    return d->running();
}

QString CddbControl::albumTitle() const
{
    return d->disc.album;
}

QString CddbControl::labelValue() const
{
    return d->disc.label;
}

int CddbControl::trackCount() const
{
    return int(d->disc.tracks.size());
}

QString CddbControl::trackTitle(int track) const
{
    if (track < 1 || track > trackCount())
        return {};
    const XmcdEntry::Track &t = d->disc.tracks.at(track - 1);
    if (t.artist.isEmpty() && t.title.isEmpty())
        return {};
    return t.artist + QStringLiteral(" - ") + t.title;
}

int CddbControl::trackLength(int track) const
{
    return track < 1 || track > trackCount() ? 0 : d->disc.tracks.at(track - 1).lengthSeconds;
}

QString CddbControl::formatLength(int length) const
{
    return length < 0 ? QString() : EditorRules::durationText(length);
}

QString CddbControl::genre() const
{
    return d->disc.genre;
}

void CddbControl::setTocReader(TocReader reader)
{
    d->tocReader = std::move(reader);
}

void CddbControl::setMatchChooser(MatchChooser chooser)
{
    d->chooser = std::move(chooser);
}
