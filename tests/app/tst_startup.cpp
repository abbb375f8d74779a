#include <QtTest>

class tst_startup : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
