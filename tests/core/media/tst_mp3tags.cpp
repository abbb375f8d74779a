#include <QtTest>

class tst_mp3tags : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_mp3tags)
#include "tst_mp3tags.moc"
