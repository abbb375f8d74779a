#include <QtTest>

class tst_listview : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(tst_listview)
#include "tst_listview.moc"
