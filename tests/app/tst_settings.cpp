#include <QtTest>

class tst_settings : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_settings)
#include "tst_settings.moc"
