#include <QtTest>

class tst_inifile : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_inifile)
#include "tst_inifile.moc"
