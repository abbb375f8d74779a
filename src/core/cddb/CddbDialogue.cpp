#include "CddbDialogue.h"

namespace {

const QString kEndOfList = QStringLiteral(".");
constexpr int kUtf8Level = 6;

// Printable ASCII without blanks: what may stand as one word of a command.
QString commandWord(const QString &text)
{
    QString word;
    for (const QChar c : text) {
        if (c.unicode() > 0x20 && c.unicode() < 0x7F)
            word.append(c);
    }
    return word;
}

bool isCategoryCharacter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') || c == QLatin1Char('-');
}

bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// The first whole number in `text`, or -1; numbers too long to matter count as large.
int firstNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && !(text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9')))
        ++i;
    if (i == text.size())
        return -1;
    int value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i)
        value = qMin(value * 10 + (text.at(i).unicode() - '0'), 1000000);
    return value;
}

} // namespace

CddbDialogue::Hello CddbDialogue::helloFromEmail(const QString &email, const QString &client, const QString &version)
{
    const QString address = email.trimmed();
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    Hello hello;
    hello.user = commandWord(at < 0 ? address : address.left(at));
    hello.host = commandWord(at < 0 ? QString() : address.mid(at + 1));
    hello.client = client;
    hello.version = version;
    return hello;
}

QString CddbDialogue::Match::displayText() const
{
    return title + QStringLiteral(" (") + category + QStringLiteral(", ") + discId + QLatin1Char(')');
}

CddbDialogue::CddbDialogue(const DiscToc &toc, const Hello &hello) : m_toc(toc), m_hello(hello)
{
    const auto word = [](const QString &text, const char *fallback) {
        const QString w = commandWord(text);
        return w.isEmpty() ? QString::fromLatin1(fallback) : w;
    };
    m_hello.user = word(m_hello.user, "anonymous");
    m_hello.host = word(m_hello.host, "localhost");
    m_hello.client = word(m_hello.client, "client");
    m_hello.version = word(m_hello.version, "1.0");
}

int CddbDialogue::replyCode(const QString &line)
{
    if (line.size() < 3 || (line.size() > 3 && !isBlank(line.at(3))))
        return -1;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        const QChar c = line.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        code = code * 10 + (c.unicode() - '0');
    }
    return code;
}

bool CddbDialogue::parseMatch(QStringView text, Match *match)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    const qsizetype categoryStart = i;
    while (i < text.size() && isCategoryCharacter(text.at(i)))
        ++i;
    const qsizetype categoryLength = i - categoryStart;
    if (categoryLength == 0 || categoryLength > 64 || i == text.size() || !isBlank(text.at(i)))
        return false;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    const qsizetype idStart = i;
    while (i < text.size() && isHexDigit(text.at(i)))
        ++i;
    if (i - idStart != 8 || (i < text.size() && !isBlank(text.at(i))))
        return false;
    match->category = text.mid(categoryStart, categoryLength).toString();
    match->discId = text.mid(idStart, 8).toString().toLower();
    match->title = text.mid(i).trimmed().toString();
    return true;
}

QStringList CddbDialogue::matchTexts() const
{
    QStringList texts;
    for (const Match &match : m_matches)
        texts.append(match.displayText());
    return texts;
}

CddbDialogue::Action CddbDialogue::send(Step next, const QByteArray &command)
{
    m_step = next;
    m_command = command;
    return Action::Send;
}

CddbDialogue::Action CddbDialogue::fail(FailureKind kind, int code, const QString &line, XmcdEntry::Error entryError)
{
    m_failure.kind = kind;
    m_failure.step = m_step;
    m_failure.code = qMax(code, 0);
    m_failure.line = line;
    m_failure.entryError = entryError;
    m_step = Step::Failed;
    m_command.clear();
    return Action::Failed;
}

CddbDialogue::Action CddbDialogue::read(const Match &match)
{
    m_category = match.category;
    return send(Step::Read, "cddb read " + match.category.toLatin1() + ' ' + match.discId.toLatin1());
}

CddbDialogue::Action CddbDialogue::matchListEnded()
{
    if (m_matches.isEmpty())
        return fail(FailureKind::NoMatch, m_exactList ? 210 : 211, QString());
    if (m_exactList && m_matches.size() == 1)
        return read(m_matches.first());
    m_step = Step::Choice;
    return Action::Choose;
}

CddbDialogue::Action CddbDialogue::choose(int index)
{
    if (m_step != Step::Choice)
        return Action::Wait;
    if (index < 0 || index >= m_matches.size())
        return fail(FailureKind::Cancelled, 0, QString());
    return read(m_matches.at(index));
}

CddbDialogue::Action CddbDialogue::receive(const QString &line)
{
    // The lines of a list are not replies.
    if (m_step == Step::Matches) {
        if (line == kEndOfList)
            return matchListEnded();
        Match match;
        if (!parseMatch(line, &match))
            return fail(FailureKind::Malformed, 0, line);
        m_matches.append(match);
        return Action::Wait;
    }
    if (m_step == Step::Entry) {
        if (line != kEndOfList) {
            m_entryLines.append(line);
            return Action::Wait;
        }
        XmcdEntry::Error error = XmcdEntry::Error::None;
        m_entry = XmcdEntry::parse(m_entryLines, m_category, m_toc, &error);
        m_entryLines.clear();
        if (error != XmcdEntry::Error::None)
            return fail(FailureKind::Malformed, 0, QString(), error);
        m_step = Step::Quit;
        m_command = "quit";
        return Action::Succeeded;
    }
    if (m_step == Step::Quit) {
        m_step = Step::Done;
        m_command.clear();
        return Action::Done;
    }
    if (m_step == Step::Done || m_step == Step::Failed || m_step == Step::Choice)
        return Action::Wait;

    const int code = replyCode(line);
    // A reply this step does not know: the server's error, or an answer that makes no sense here.
    const auto unexpected = [&] {
        return fail(code >= 400 && code <= 599 ? FailureKind::ServerError : FailureKind::Malformed, code, line);
    };
    switch (m_step) {
    case Step::Banner:
        if (code == 200 || code == 201) {
            return send(Step::Hello, "cddb hello " + m_hello.user.toLatin1() + ' ' + m_hello.host.toLatin1() + ' ' +
                                         m_hello.client.toLatin1() + ' ' + m_hello.version.toLatin1());
        }
        if (code == 432 || code == 433 || code == 434)
            return fail(FailureKind::Refused, code, line);
        return unexpected();
    case Step::Hello:
        if (code == 200 || code == 402)
            return send(Step::Proto, "proto " + QByteArray::number(kUtf8Level));
        if (code == 431)
            return fail(FailureKind::Refused, code, line);
        return unexpected();
    case Step::Proto:
        if (code == 201)
            m_utf8 = true;
        else if (code == 502)
            m_utf8 = firstNumber(QStringView(line).mid(3)) >= kUtf8Level;
        else if (code != 501 && code != 500)
            return unexpected();
        return send(Step::Query, m_toc.queryCommand());
    case Step::Query:
        if (code == 200) {
            Match match;
            if (!parseMatch(QStringView(line).mid(3), &match))
                return fail(FailureKind::Malformed, code, line);
            m_matches = {match};
            return read(match);
        }
        if (code == 210 || code == 211) {
            m_exactList = code == 210;
            m_step = Step::Matches;
            return Action::Wait;
        }
        if (code == 202)
            return fail(FailureKind::NoMatch, code, line);
        return unexpected();
    case Step::Read:
        if (code == 210) {
            m_step = Step::Entry;
            return Action::Wait;
        }
        return unexpected();
    default:
        return Action::Wait;
    }
}
