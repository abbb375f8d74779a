#include <QtTest>

class tst_cp1251 : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_cp1251)
#include "tst_cp1251.moc"
