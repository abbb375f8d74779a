// The table of contents: which tables are CDs, the disc id (worked out by hand; the UI test also checks it
// against libdiscid), the query line and the track lengths.
#include "core/cddb/DiscToc.h"
#include "support/CddbEntries.h"

#include <QtTest>

using CddbEntries::toc;

class tst_cddbdiscid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validity_data()
    {
        QTest::addColumn<DiscToc>("disc");
        QTest::addColumn<bool>("valid");
        QList<int> ninetyNine;
        for (int i = 0; i < 99; ++i)
            ninetyNine.append(150 + i * 100);
        QTest::newRow("album") << CddbEntries::album() << true;
        QTest::newRow("one track from 0") << toc({0}, 1) << true;
        QTest::newRow("99 tracks") << toc(ninetyNine, 20000) << true;
        QTest::newRow("100 tracks") << toc(ninetyNine + QList<int>{20000}, 20100) << false;
        QTest::newRow("no tracks") << toc({}, 1000) << false;
        QTest::newRow("negative start") << toc({-1, 100}, 200) << false;
        QTest::newRow("same start twice") << toc({150, 150}, 300) << false;
        QTest::newRow("going back") << toc({150, 900, 800}, 1000) << false;
        QTest::newRow("lead-out at the last start") << toc({150, 900}, 900) << false;
        QTest::newRow("longer than a day") << toc({150}, DiscToc::kMaxFrames + 1) << false;
    }
    void validity()
    {
        QFETCH(DiscToc, disc);
        QTEST(disc.isValid(), "valid");
    }

    void discId_data()
    {
        QTest::addColumn<DiscToc>("disc");
        QTest::addColumn<QString>("id");
        QTest::newRow("album") << CddbEntries::album() << CddbEntries::kAlbumId;
        QTest::newRow("compilation") << CddbEntries::compilation() << CddbEntries::kCompilationId;
        // 2 and 200 s: 2 + 2 = 4; 400 - 2 = 398 = 0x18e.
        QTest::newRow("two tracks") << toc({150, 15000}, 30000) << "04018e02";
        // Digit sums 3 s, then 9999 s (36) seven times: 255, which is 0 modulo 255 (not 256); 10000 - 3 s.
        QList<int> nines(7, 9999 * 75);
        for (int i = 0; i < 7; ++i)
            nines[i] += i;
        QTest::newRow("sum of 255 wraps") << toc(QList<int>{225} + nines, 9999 * 75 + 75) << "00270d08";
        // The play time counts whole seconds of lead-out and first start: 74 frames are 0 s.
        QTest::newRow("whole seconds") << toc({74}, 149) << "00000101";
    }
    void discId()
    {
        QFETCH(DiscToc, disc);
        QTEST(disc.discIdText(), "id");
    }

    void queryAndLengths()
    {
        const DiscToc disc = CddbEntries::album();
        QCOMPARE(disc.queryCommand(), QByteArray(CddbEntries::kAlbumQuery));
        QCOMPARE(disc.trackFrames(0), 18240);
        QCOMPARE(disc.trackFrames(3), 70000 - 52815);
        QCOMPARE(framesToSeconds(37), 0);
        QCOMPARE(framesToSeconds(38), 1);
        QCOMPARE(framesToSeconds(75 * 60 + 112), 61);
        QCOMPARE(framesToSeconds(75 * 60 + 113), 62);
    }
};

QTEST_GUILESS_MAIN(tst_cddbdiscid)
#include "tst_cddbdiscid.moc"
