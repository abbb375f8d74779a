#include <QtTest>

class tst_dialogs : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(tst_dialogs)
#include "tst_dialogs.moc"
