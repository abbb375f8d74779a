#include <QtTest>

class tst_basefiles : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_basefiles)
#include "tst_basefiles.moc"
