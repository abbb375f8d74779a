#include <QtTest>

class tst_autocomplete : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_autocomplete)
#include "tst_autocomplete.moc"
