#include <QtTest>

class tst_frmmain : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(tst_frmmain)
#include "tst_frmmain.moc"
