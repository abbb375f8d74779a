// Disc entries in the xmcd format: the fields the program takes, compilations, escapes, lines that continue,
// track lengths, the record label, and the entries that do not fit the disc.
#include "core/cddb/XmcdEntry.h"
#include "support/CddbEntries.h"

#include <QtTest>

using CddbEntries::lines;
using CddbEntries::toc;

namespace {

// "artist|title|seconds" per track.
QStringList tracks(const XmcdEntry &entry)
{
    QStringList out;
    for (const XmcdEntry::Track &t : entry.tracks)
        out.append(t.artist + '|' + t.title + '|' + QString::number(t.lengthSeconds));
    return out;
}

XmcdEntry::Error errorOf(const QStringList &entry, const DiscToc &disc)
{
    XmcdEntry::Error error = XmcdEntry::Error::None;
    const XmcdEntry parsed = XmcdEntry::parse(entry, "rock", disc, &error);
    if (error != XmcdEntry::Error::None && !parsed.isEmpty())
        return XmcdEntry::Error::None; // a failure must not leave data behind
    return error;
}

} // namespace

class tst_cddbentry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void album()
    {
        XmcdEntry::Error error;
        const XmcdEntry e = XmcdEntry::parse(lines(CddbEntries::kAlbumEntry), "rock", CddbEntries::album(), &error);
        QCOMPARE(error, XmcdEntry::Error::None);
        QCOMPARE(e.artist, "Северный ветер");
        QCOMPARE(e.album, "Огни большого города");
        QCOMPARE(e.year, "1998");
        QCOMPARE(e.genre, "Русский рок");
        QCOMPARE(e.label, "Мелодия");
        QCOMPARE(e.extendedData, "Записано в 1997 году.\nlabel:  Мелодия \nCat. \\ 123");
        QVERIFY(!e.compilation);
        // 18240, 17310 and 17115 frames; the last from 52815 to 933 s, 17160 frames.
        QCOMPARE(tracks(e),
                 QStringList({"Северный ветер|Вступление|243", "Северный ветер|Дорога домой|231",
                              "Северный ветер|Часть первая / Часть вторая|228",
                              "Северный ветер|Очень длинное название, которое сервер разбил на две строки|229"}));
        // The lengths are the entry's, not those of a disc that only comes close: its lead-out is 5000 frames later.
        const XmcdEntry close =
            XmcdEntry::parse(lines(CddbEntries::kAlbumEntry), "rock", toc({150, 18390, 35700, 52815}, 75000));
        QCOMPARE(close.tracks.last().lengthSeconds, 229);
    }

    void compilation()
    {
        const XmcdEntry e = XmcdEntry::parse(lines(CddbEntries::kCompilationEntry), "misc", CddbEntries::compilation());
        QVERIFY(e.compilation);
        QCOMPARE(e.album, "Танцы");
        QCOMPARE(e.genre, "misc");
        QCOMPARE(e.label, "");
        // No offsets in the entry: the disc's own lengths (19850, 21000 and 19000 frames).
        QCOMPARE(tracks(e), QStringList({"Alpha|One|265", "Various|Two|280", "Гамма|Три / Bonus|253"}));
    }

    void titles_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("artistAndAlbum");
        QTest::addColumn<QStringList>("titles");
        const auto row = [](const char *name, const char *entry, const char *disc, QStringList titles) {
            QTest::newRow(name) << QString::fromUtf8(entry) << QString::fromUtf8(disc) << titles;
        };
        row("no \" / \" in the disc title", "DTITLE=Abba Gold\nTTITLE0=A\nTTITLE1=B", "Abba Gold|Abba Gold",
            {"Abba Gold|A", "Abba Gold|B"});
        row("cut at the first \" / \"", "DTITLE= X / Y / Z \nTTITLE0=a\nTTITLE1=b", "X|Y / Z", {"X|a", "X|b"});
        row("every titled track with an artist", "DTITLE=Mix\nTTITLE0=P / p\nTTITLE1=", "Mix|Mix", {"P|p", "Mix|"});
        row("one track without", "DTITLE=A / B\nTTITLE0=P / p\nTTITLE1=q", "A|B", {"A|P / p", "A|q"});
        row("various artists, any case", "DTITLE=VARIOUS ARTISTS / Hits\nTTITLE0=x\nTTITLE1=Q / y",
            "VARIOUS ARTISTS|Hits", {"VARIOUS ARTISTS|x", "Q|y"});
        row("no DTITLE, a gap", "TTITLE1=b", "|", {"|", "|b"});
        row("escapes", "DTITLE=a\\\\nb / c\\x\\\nTTITLE0=\\t1\\n2\\\\\nTTITLE1=end\\", "a\\nb|c\\x\\",
            {"a\\nb|1 2\\", "a\\nb|end\\"});
        row("lines joined, then unescaped", "DTITLE=Long / Na\nDTITLE=me \\\nDTITLE=n\nTTITLE1=x\nTTITLE0=y\nttitle0=z",
            "Long|Name", {"Long|yz", "Long|x"});
        row("genre and year trimmed, control characters",
            "DGENRE= \\t\nDYEAR=\\n1999\x7f\nTTITLE1=a\x01"
            "b\rc",
            "|", {"|", "|a b c"});
    }
    void titles()
    {
        QFETCH(QString, entry);
        const XmcdEntry e = XmcdEntry::parse(entry.split('\n'), "jazz", toc({150, 300}, 450));
        QTEST(QString(e.artist + '|' + e.album), "artistAndAlbum");
        QStringList titles;
        for (const XmcdEntry::Track &t : e.tracks)
            titles.append(t.artist + '|' + t.title);
        QTEST(titles, "titles");
        if (entry.contains("DGENRE"))
            QCOMPARE(QString(e.genre + '|' + e.year), "jazz|1999");
    }

    void label_data()
    {
        QTest::addColumn<QString>("extd");
        QTest::addColumn<QString>("label");
        QTest::newRow("none") << "Recorded live"
                              << "";
        QTest::newRow("first line") << "LABEL:EMI"
                                    << "EMI";
        QTest::newRow("first of two, blanks") << "x\\n  Label: Sony Music  \\nLabel: Other"
                                              << "Sony Music";
        QTest::newRow("not at the start") << "Record Label: X"
                                          << "";
        QTest::newRow("empty") << "Label:\\nmore"
                               << "";
    }
    void label()
    {
        QFETCH(QString, extd);
        const XmcdEntry e = XmcdEntry::parse({"TTITLE0=a", "EXTD=" + extd}, "rock", toc({150}, 300));
        QTEST(e.label, "label");
    }

    void errors_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<XmcdEntry::Error>("error");
        using E = XmcdEntry::Error;
        const QString offsets = "# Track frame offsets:\n#150\n#300\n#\n# Disc length: 6 seconds\n";
        QTest::newRow("fits") << offsets + "TTITLE0=a\nTTITLE1=b" << E::None;
        QTest::newRow("nothing") << "" << E::NoLines;
        QTest::newRow("no titles") << "DTITLE=a / b" << E::TrackCountMismatch;
        QTest::newRow("too few titles") << "TTITLE0=a" << E::TrackCountMismatch;
        QTest::newRow("a title past the disc") << offsets + "TTITLE2=c" << E::TrackCountMismatch;
        QTest::newRow("an EXTT past the disc") << "TTITLE1=a\nEXTT5=" << E::TrackCountMismatch;
        QTest::newRow("three offsets") << "# Track frame offsets:\n#150\n#300\n#400\nTTITLE1=b"
                                       << E::TrackCountMismatch;
        QTest::newRow("offsets cut by a word")
            << "# Track frame offsets:\n#150\n# x\n#300\nTTITLE1=b" << E::TrackCountMismatch;
        QTest::newRow("title without a number") << "TTITLEx=a\nTTITLE1=b" << E::BadKeyword;
        QTest::newRow("title with a sign") << "TTITLE-1=a\nTTITLE1=b" << E::BadKeyword;
        QTest::newRow("title number too long") << "TTITLE00001=a\nTTITLE1=b" << E::BadKeyword;
        QTest::newRow("offset with a letter") << "# Track frame offsets:\n#150\n#30x0\nTTITLE1=b" << E::BadOffsets;
        QTest::newRow("offset too large") << "# Track frame offsets:\n#150\n#99999999999\nTTITLE1=b" << E::BadOffsets;
        QTest::newRow("offsets going back") << "# Track frame offsets:\n#300\n#150\nTTITLE1=b" << E::BadOffsets;
        QTest::newRow("length not a number") << "# Disc length: about 6 seconds\nTTITLE1=b" << E::BadDiscLength;
        QTest::newRow("length with a letter") << "# Disc length: 6s\nTTITLE1=b" << E::BadDiscLength;
        QTest::newRow("length at the last offset")
            << QString(offsets).replace("6 seconds", "4 secs") + "TTITLE1=b" << E::BadDiscLength;
    }
    void errors()
    {
        QFETCH(QString, entry);
        QTEST(errorOf(entry.isEmpty() ? QStringList() : entry.split('\n'), toc({150, 300}, 450)), "error");
    }
};

QTEST_GUILESS_MAIN(tst_cddbentry)
#include "tst_cddbentry.moc"
