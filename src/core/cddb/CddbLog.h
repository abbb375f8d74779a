#pragma once

#include <QString>
#include <QStringView>

#include <deque>

// The log of a CDDB lookup as the user reads it: the server's lines and the lookup's own messages. Only the
// last kMaxLines lines are kept, so that an answer of any length costs little to keep and to show. Texts
// come with CR LF line ends and may go on with the last line. Control characters, at which a screen reader
// stops and which a text box takes for layout, are kept as visible symbols.
class CddbLog
{
public:
    static constexpr int kMaxLines = 500;

    void clear();
    // Adds `text` at the end, each CR LF in it starting a new line; the oldest lines beyond kMaxLines go.
    // Returns what was added as it is shown: LF between its lines.
    QString append(QStringView text);
    // The log, CR LF between its lines.
    QString text() const;
    int lineCount() const { return int(m_lines.size()); }
    bool isEmpty() const { return m_lines.size() == 1 && m_lines.front().isEmpty(); }

    // `line` with each control character shown as a symbol: C0 ones and DEL as the Control Pictures
    // (NUL as ␀), the line and paragraph separators as ␤, C1 ones as the replacement character.
    static QString visible(QStringView line);

private:
    std::deque<QString> m_lines{QString()};
};
