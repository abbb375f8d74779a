// The bases of a session: which base opens in place of a deleted one.
#include "core/catalogue/BaseList.h"

#include <QtTest>

class tst_baselist : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nextAfterDeleting_data();
    void nextAfterDeleting();
    void defaultBaseAndNewOnes();
};

void tst_baselist::nextAfterDeleting_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("gone");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("next");
    const QStringList abc{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    QTest::newRow("the one before") << abc << QList<int>{} << 2 << 1;
    QTest::newRow("the first: the one after") << abc << QList<int>{} << 0 << 1;
    QTest::newRow("skips a deleted one") << abc << QList<int>{1} << 2 << 0;
    QTest::newRow("the only one left") << abc << QList<int>{0, 2} << 1 << -1;
    // A second entry of the same file is the same base, gone with it.
    QTest::newRow("same file twice") << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")}
                                     << QList<int>{} << 2 << 1;
    QTest::newRow("only copies of itself")
        << QStringList{QStringLiteral("A"), QStringLiteral("A")} << QList<int>{} << 1 << -1;
}

void tst_baselist::nextAfterDeleting()
{
    QFETCH(QStringList, names);
    QFETCH(QList<int>, gone);
    QFETCH(int, deleted);
    QFETCH(int, next);
    BaseList bases;
    bases.reset(names, QStringLiteral("База 1"));
    for (int i : gone)
        bases.setGone(i, true);
    QCOMPARE(bases.nextAfterDeleting(deleted), next);
}

void tst_baselist::defaultBaseAndNewOnes()
{
    BaseList bases;
    bases.reset({}, QStringLiteral("База 1"));
    QCOMPARE(bases.count(), 1);
    QCOMPARE(bases.name(0), QStringLiteral("База 1"));
    QCOMPARE(bases.append(QStringLiteral("Jazz")), 1);
    bases.check(1);
    bases.removeLast();
    QCOMPARE(bases.checked(), -1); // the removed base is not left checked
    bases.append(QStringLiteral("Rock"));
    bases.append(QStringLiteral("Rock"));
    QCOMPARE(bases.markGone(QStringLiteral("Rock")), (QVector<int>{1, 2}));
    QVERIFY(bases.isGone(2) && !bases.isGone(0));
}

QTEST_GUILESS_MAIN(tst_baselist)
#include "tst_baselist.moc"
