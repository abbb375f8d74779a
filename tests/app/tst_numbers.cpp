#include <QtTest>

class tst_numbers : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_numbers)
#include "tst_numbers.moc"
