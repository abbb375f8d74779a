#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>

// A short, fixed list of text fields kept in one string: the fields joined by TAB, plus the offset at
// which each field starts. This is exactly the shape of a line of a base file, so loading a line is one
// decode and one scan for TABs, saving it is one encode, and a list row that shows a record shares the
// record's single string instead of holding a dozen strings of its own.
//
// A field may itself contain a TAB (pasted text, for instance): the offsets, not the separators, say
// where fields begin, so nothing is lost until the file format forces the TAB to be replaced.
class FieldList
{
public:
    static constexpr int kMaxFields = 16;

    FieldList() = default;
    // `count` empty fields.
    explicit FieldList(int count);

    static FieldList fromList(const QStringList &fields);
    // Splits `line` at TAB into `count` fields: missing trailing fields are empty, parts past the last
    // field are dropped (and `dropped`, when given, is set true).
    static FieldList fromJoined(const QString &line, int count, bool *dropped = nullptr);

    int count() const { return m_count; }
    // Field `i`; an empty view for an index outside 0..count-1.
    QStringView at(int i) const;
    QString value(int i) const { return at(i).toString(); }
    bool isEmpty(int i) const { return at(i).isEmpty(); }
    void set(int i, QStringView value);

    // The fields joined by single TABs: the line this list is written as when no field holds a TAB.
    const QString &joined() const { return m_text; }
    // True when some field holds a TAB of its own.
    bool hasTabInFields() const;
    // Replaces every TAB inside a field by a space; returns whether anything changed.
    bool replaceTabsInFields();

    QStringList toList() const;

    // `text` as one field from outside (a tag, a web service) is stored: control characters, line breaks and
    // TABs among them, become spaces, and the ends are trimmed, so the field cannot break its line in a file.
    static QString oneLine(QString text);

    bool operator==(const FieldList &other) const;
    bool operator!=(const FieldList &other) const { return !(*this == other); }

private:
    friend class TrackTable;
    // Sets the field starts from m_text, split at TAB into `count` fields, as fromJoined() describes.
    void split(int count, bool *dropped);

    QString m_text;
    std::array<quint32, kMaxFields> m_start{};
    quint8 m_count = 0;
};
