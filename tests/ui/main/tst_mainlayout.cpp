#include <QtTest>

class tst_mainlayout : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_mainlayout)
#include "tst_mainlayout.moc"
