#include <QtTest>

class tst_mpegstreaminfo : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_mpegstreaminfo)
#include "tst_mpegstreaminfo.moc"
