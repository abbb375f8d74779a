#include <QtTest>

class tst_fieldlist : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_fieldlist)
#include "tst_fieldlist.moc"
