#include <QtTest>

class tst_singleinstance : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_singleinstance)
#include "tst_singleinstance.moc"
