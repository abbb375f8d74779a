#include "core/search/SearchIndex.h"
#include "core/text/Cp1251.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr quint16 kAll = SearchIndex::kAllFields;
constexpr quint16 kTitle = 1u << TrackRecord::Title;

// What find() must give, worked out the plain way: QStringView::contains over each chosen field.
std::vector<int> plainFind(const TrackTable &table, const QString &text, quint16 fields)
{
    std::vector<int> found;
    for (int i = 1; i <= table.count(); ++i) {
        bool match = text.isEmpty();
        for (int f = 0; f < 12; ++f)
            match |= (fields >> f & 1) && table.at(i).at(f).contains(text, Qt::CaseInsensitive);
        if (match)
            found.push_back(i);
    }
    return found;
}

std::vector<int> findAll(const SearchIndex &index, const QString &text, quint16 fields)
{
    const std::optional<std::vector<int>> found = index.find(text, fields);
    return found ? *found : std::vector<int>{-1};
}

// A record from its fields written with '|' between them: "|||Artist|Title".
TrackRecord recordOf(const QString &fields)
{
    return TrackRecord::fromList(fields.split(QLatin1Char('|')));
}

// Pieces of random fields and texts: look-alikes, both cases, Ё/ё, blanks, TABs, newlines, µ (whose fold
// leaves the code page), and characters outside it (Greek, ß, the Kelvin sign, an emoji, half of one).
const QStringList kCommon = {u"a"_s,  u"c"_s,  u"e"_s,  u"o"_s,  u"p"_s,     u"x"_s, u"A"_s, u"C"_s, u"E"_s,
                             u"O"_s,  u"P"_s,  u"X"_s,  u"k"_s,  u"s"_s,     u"i"_s, u"а"_s, u"с"_s, u"е"_s,
                             u"о"_s,  u"р"_s,  u"х"_s,  u"А"_s,  u"С"_s,     u"Е"_s, u"О"_s, u"Р"_s, u"Х"_s,
                             u"ё"_s,  u"Ё"_s,  u"і"_s,  u"І"_s,  u" "_s,     u" "_s, u"µ"_s, u"№"_s, u"—"_s,
                             u"da"_s, u"DA"_s, u"\t"_s, u"\n"_s, u"\u0098"_s};
const QStringList kForeign = {u"Ÿ"_s,      u"ÿ"_s,      u"μ"_s, u"Μ"_s, u"ß"_s,          u"ẞ"_s,
                              u"\u212A"_s, u"\u017F"_s, u"ς"_s, u"σ"_s, u"\U0001F3B5"_s, u"\xD83C"_s};

QString randomText(QRandomGenerator &random, int maxPieces, int foreignPercent)
{
    QString text;
    for (int i = random.bounded(maxPieces + 1); i > 0; --i) {
        const QStringList &from = int(random.bounded(100)) < foreignPercent ? kForeign : kCommon;
        text += from.at(random.bounded(int(from.size())));
    }
    return text;
}

TrackTable randomTable(QRandomGenerator &random, int tracks, int maxPieces)
{
    TrackTable table;
    for (int i = 0; i < tracks; ++i) {
        // Most records hold only code-page characters, as records read from a base file do.
        const int foreignPercent = random.bounded(8) == 0 ? 10 : 0;
        QStringList fields;
        for (int f = 0; f < TrackRecord::kFieldCount; ++f)
            fields.append(randomText(random, random.bounded(3) == 0 ? 0 : maxPieces, foreignPercent));
        table.AddTrack(TrackRecord::fromList(fields));
    }
    return table;
}

// A text to look for: mostly a piece of a record (of one field, or across fields), its letters changed
// in case or swapped for their look-alikes, blanks around it; sometimes empty, sometimes anything.
QString randomNeedle(QRandomGenerator &random, const TrackTable &table)
{
    static const QString latin = u"aceopxACEOPX"_s;
    static const QString cyrillic = u"асеорхАСЕОРХ"_s;
    const int kind = random.bounded(10);
    if (kind == 0)
        return QString();
    if (kind <= 2 || !table.hasTracks())
        return randomText(random, 4, 15);
    const TrackRecord record = table.at(1 + random.bounded(table.count()));
    const QString source = kind == 3 ? record.joined() : record.value(random.bounded(14));
    QString needle = source.mid(random.bounded(int(source.size()) + 1), 1 + random.bounded(6));
    for (QChar &c : needle) {
        const int change = random.bounded(4);
        if (change == 0)
            c = c.toUpper();
        else if (change == 1)
            c = c.toLower();
        else if (change == 2 && latin.contains(c))
            c = cyrillic.at(latin.indexOf(c));
        else if (change == 2 && cyrillic.contains(c))
            c = latin.at(cyrillic.indexOf(c));
    }
    const QString blank = u" "_s;
    return (random.bounded(4) ? QString() : blank) + needle + (random.bounded(4) ? QString() : blank);
}

quint16 randomFields(QRandomGenerator &random)
{
    const int kind = random.bounded(5);
    return quint16(kind == 0 ? kAll : kind == 1 ? 1u << random.bounded(16) : kind == 2 ? 0 : random.bounded(0x10000));
}

QByteArray describe(const QString &text, quint16 fields)
{
    QByteArray codes;
    for (const QChar c : text)
        codes += QByteArray::number(c.unicode(), 16) + ' ';
    return "text " + codes + "fields " + QByteArray::number(fields, 16);
}

} // namespace

class tst_searchindex : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void examples_data();
    void examples();
    void everyCharacterAlone();
    void tabsAndNewlinesInsideFields_data();
    void tabsAndNewlinesInsideFields();
    void emptyTextAndEmptyTable();
    void randomTablesAgreeWithPlainRule();
    void largeTableAgreesWithPlainRule();
    void cancellation();
    void indexIsASnapshot();
};

// One record beside another, through matches() and find(); each expectation is checked against Qt first.
void tst_searchindex::examples_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fields");
    QTest::addColumn<bool>("expected");

    QTest::newRow("Dance") << u"||||Dance"_s << u"da"_s << int(kAll) << true;
    QTest::newRow("DANCE") << u"||||DANCE"_s << u"da"_s << int(kTitle) << true;
    QTest::newRow("Armada") << u"||||Armada"_s << u"dA"_s << int(kAll) << true;
    QTest::newRow("Cyrillic a in the title") << u"||||D\u0430nce"_s << u"da"_s << int(kAll) << false;
    QTest::newRow("Cyrillic text, Latin title")
        << u"||||Caxap POCCO"_s << u"\u0441\u0430\u0445\u0430\u0440"_s << int(kAll) << false;
    QTest::newRow("Latin text, Cyrillic title")
        << u"||||\u0421\u0430\u0445\u0430\u0440"_s << u"CAXAP"_s << int(kAll) << false;
    QTest::newRow("Cyrillic both") << u"||||Сахар"_s << u"САХАР"_s << int(kAll) << true;
    QTest::newRow("Ё and ё") << u"||||Ёлка"_s << u"ёЛ"_s << int(kAll) << true;
    QTest::newRow("ё is not е") << u"||||Ёлка"_s << u"ел"_s << int(kAll) << false;
    QTest::newRow("leading blank") << u"||||Deep House"_s << u" house"_s << int(kAll) << true;
    QTest::newRow("leading blank at the start") << u"||||House"_s << u" house"_s << int(kAll) << false;
    QTest::newRow("trailing blank at the end") << u"||||Deep House"_s << u"house "_s << int(kAll) << false;
    QTest::newRow("µ by Greek capital Mu") << u"||||5 µs"_s << u"Μ"_s << int(kAll) << true;
    QTest::newRow("µ is not m") << u"||||5 µs"_s << u"M"_s << int(kAll) << false;
    QTest::newRow("Kelvin sign finds k") << u"||||Kick"_s << u"\u212Aick"_s << int(kAll) << true;
    QTest::newRow("ß is not ss") << u"||||Straße"_s << u"ss"_s << int(kAll) << false;
    QTest::newRow("ß by capital ẞ") << u"||||Straße"_s << u"STRAẞE"_s << int(kAll) << true;
    QTest::newRow("beside an emoji") << u"||||\U0001F3B5Mix"_s << u"mix"_s << int(kAll) << true;
    QTest::newRow("emoji in the text only") << u"||||Mix"_s << u"\U0001F3B5"_s << int(kAll) << false;
    QTest::newRow("artist, title chosen") << u"|||Armada|Night|Dance"_s << u"armada"_s << int(kTitle) << false;
    QTest::newRow("artist, artist chosen") << u"|||Armada|Night|Dance"_s << u"armada"_s << 8 << true;
    QTest::newRow("later hit in the chosen field") << u"|||Armada|Night|Dance"_s << u"n"_s << 32 << true;
    QTest::newRow("hits before the chosen field") << u"|||Armada|Night|Dance"_s << u"m"_s << 32 << false;
    QTest::newRow("no field chosen") << u"||||Dance"_s << u"da"_s << 0 << false;
    QTest::newRow("rating") << u"|||||||||||5"_s << u"5"_s << 1 << false;
    QTest::newRow("rating chosen") << u"|||||||||||5"_s << u"5"_s << (1 << 11) << true;
    QTest::newRow("fields 12, 13 never") << u"||||||||||||da|da"_s << u"da"_s << 0xFFFF << false;
    QTest::newRow("not across fields") << u"|||Armada|Night|Dance"_s << u"t\td"_s << int(kAll) << false;
}

void tst_searchindex::examples()
{
    QFETCH(QString, record);
    QFETCH(QString, text);
    QFETCH(int, fields);
    QFETCH(bool, expected);
    TrackTable table;
    table.AddTrack(recordOf(u"CD|1|2|Other|Other"_s));
    table.AddTrack(recordOf(record));
    QCOMPARE(plainFind(table, text, quint16(fields)), expected ? std::vector<int>{2} : std::vector<int>{});
    QCOMPARE(SearchIndex::matches(table.at(2), text, quint16(fields)), expected);
    QCOMPARE(findAll(*SearchIndex::build(table), text, quint16(fields)), plainFind(table, text, quint16(fields)));
}

// Every 16-bit code unit as a one-character text, against one record per character of the code page
// (written a few times over, so that long runs are folded too): the index agrees with Qt everywhere.
void tst_searchindex::everyCharacterAlone()
{
    TrackTable table;
    for (int b = 0; b < 256; ++b)
        table.AddTrack(recordOf(u"||||"_s + Cp1251::decode(QByteArray(20, char(b)))));
    const auto index = SearchIndex::build(table);
    for (int c = 0; c < 0x10000; ++c) {
        const QString text = QChar(char16_t(c));
        if (findAll(*index, text, kTitle) != plainFind(table, text, kTitle))
            QFAIL(describe(text, kTitle).constData());
    }
}

// A TAB or newline inside a field belongs to that field; the TABs between fields belong to none.
void tst_searchindex::tabsAndNewlinesInsideFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fields");
    QTest::addColumn<std::vector<int>>("expected");

    QTest::newRow("TAB inside a field") << u"a\tB"_s << int(kAll) << std::vector<int>{1};
    QTest::newRow("TAB inside, other field chosen") << u"a\tb"_s << int(kTitle) << std::vector<int>{};
    QTest::newRow("newline inside a field") << u"1\nL"_s << int(kAll) << std::vector<int>{3};
    QTest::newRow("title after fields with TABs") << u"title"_s << int(kTitle) << std::vector<int>{1, 2, 3};
    QTest::newRow("artist after its own TAB") << u"b x"_s << 8 << std::vector<int>{1};
    QTest::newRow("not across fields") << u"xa\tby"_s << int(kAll) << std::vector<int>{};
}

void tst_searchindex::tabsAndNewlinesInsideFields()
{
    QFETCH(QString, text);
    QFETCH(int, fields);
    QFETCH(std::vector<int>, expected);
    TrackTable table;
    table.AddTrack(recordOf(u"CD|7|xa\tb|a\tb x|Title"_s));
    table.AddTrack(recordOf(u"CD|7|xa|by|Title"_s));
    table.AddTrack(recordOf(u"CD|7|line1\nline2|xa|by Title"_s));
    QCOMPARE(plainFind(table, text, quint16(fields)), expected);
    QCOMPARE(findAll(*SearchIndex::build(table), text, quint16(fields)), expected);
}

void tst_searchindex::emptyTextAndEmptyTable()
{
    TrackTable table;
    const auto empty = SearchIndex::build(table);
    QCOMPARE(empty->trackCount(), 0);
    QCOMPARE(findAll(*empty, QString(), kAll), std::vector<int>{});
    QCOMPARE(findAll(*empty, u"a"_s, kAll), std::vector<int>{});

    for (int i = 0; i < 3; ++i)
        table.AddTrack(TrackRecord());
    const auto blank = SearchIndex::build(table);
    QCOMPARE(blank->trackCount(), 3);
    QCOMPARE(findAll(*blank, QString(), 0), (std::vector<int>{1, 2, 3}));
    QVERIFY(SearchIndex::matches(table.at(1), QString(), 0));
    QCOMPARE(findAll(*blank, u" "_s, kAll), std::vector<int>{});
}

// The property that matters: on thousands of small random tables, find() gives exactly the tracks the
// plain rule gives, in order, and matches() is that rule.
void tst_searchindex::randomTablesAgreeWithPlainRule()
{
    QRandomGenerator random(20240601);
    for (int round = 0; round < 3000; ++round) {
        const TrackTable table = randomTable(random, random.bounded(9), 5);
        const auto index = SearchIndex::build(table);
        QCOMPARE(index->trackCount(), table.count());
        for (int query = 0; query < 12; ++query) {
            const QString text = randomNeedle(random, table);
            const quint16 fields = randomFields(random);
            const std::vector<int> expected = plainFind(table, text, fields);
            for (int i = 1; i <= table.count(); ++i) {
                if (SearchIndex::matches(table.at(i), text, fields) !=
                    std::binary_search(expected.begin(), expected.end(), i))
                    QFAIL(describe(text, fields).prepend("matches(): ").constData());
            }
            if (findAll(*index, text, fields) != expected)
                QFAIL(describe(text, fields).prepend("find(): ").constData());
        }
    }
}

// A table large enough to be searched in many pieces of work, on two threads.
void tst_searchindex::largeTableAgreesWithPlainRule()
{
    QRandomGenerator random(7);
    const TrackTable table = randomTable(random, 30000, 12);
    const auto index = SearchIndex::build(table);
    for (int query = 0; query < 60; ++query) {
        const QString text = randomNeedle(random, table);
        const quint16 fields = query % 3 == 0 ? kAll : randomFields(random);
        if (findAll(*index, text, fields) != plainFind(table, text, fields))
            QFAIL(describe(text, fields).constData());
    }
}

void tst_searchindex::cancellation()
{
    // Many short records: a table searched on one thread, in several pieces of work.
    TrackTable table;
    for (int i = 0; i < 20000; ++i)
        table.AddTrack(recordOf(i % 2 ? u"||||a"_s : u"||||b"_s));
    const auto index = SearchIndex::build(table);
    for (const QString &text : {QString(), u"a"_s, u"\t"_s, u"ß"_s})
        QVERIFY(!index->find(text, kAll, [] { return true; }));

    // Abandoned while it runs, a search returns nothing, however far it got.
    int asked = 0;
    QVERIFY(!index->find(u"a"_s, kTitle, [&asked] { return ++asked > 1; }));
    QCOMPARE(asked, 2);

    // It is asked all along, not only at the start: at least once per 8192 tracks.
    asked = 0;
    const auto found = index->find(u"A"_s, kTitle, [&asked] { return ++asked < 0; });
    QCOMPARE(found ? found->size() : 0, size_t(10000));
    QVERIFY2(asked >= table.count() / 8192, QByteArray::number(asked).constData());

    // On a table large enough for two threads too: once `cancelled` said yes, nothing comes back.
    QRandomGenerator random(99);
    const auto large = SearchIndex::build(randomTable(random, 30000, 12));
    asked = 0;
    QVERIFY(!large->find(u"a"_s, kAll, [&asked] { return ++asked > 1; }) || asked == 1);
}

// The index keeps what it needs: changing or dropping the table afterwards changes no answer, and two
// threads may search one index at once.
void tst_searchindex::indexIsASnapshot()
{
    QRandomGenerator random(5);
    auto table = std::make_unique<TrackTable>(randomTable(random, 20000, 8));
    const std::vector<int> before = plainFind(*table, u"ра"_s, kAll);
    const std::vector<int> beforeForeign = plainFind(*table, u"σ"_s, kAll);
    const auto index = SearchIndex::build(*table);
    for (int i = 1; i <= table->count(); ++i)
        table->setField(i, TrackRecord::Title, u"ра σ"_s);
    table.reset();

    // Joined before any check: a failed check returns, and a joinable thread would abort the whole program.
    std::vector<int> other;
    std::thread second([&] { other = findAll(*index, u"ра"_s, kAll); });
    const std::vector<int> mine = findAll(*index, u"ра"_s, kAll);
    second.join();
    QCOMPARE(mine, before);
    QCOMPARE(other, before);
    QCOMPARE(findAll(*index, u"σ"_s, kAll), beforeForeign);
}

QTEST_GUILESS_MAIN(tst_searchindex)
#include "tst_searchindex.moc"
