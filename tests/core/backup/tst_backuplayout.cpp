// Where backups go on a medium, and which of the files there the restore lists and reads back.
#include "core/backup/BackupLayout.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

class tst_backuplayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void locationIsAFolderPath();
    void defaults();
    void listsTheDatedBackupsOfYearFolders();
    void entriesLeadBackToTheirFiles();
    void atMost999YearFolders();
};

void tst_backuplayout::locationIsAFolderPath()
{
    const QString home = QStringLiteral("/home/dj");
    QCOMPARE(BackupLayout::normaliseLocation(QStringLiteral("/mnt/usb"), home), QStringLiteral("/mnt/usb/"));
    QCOMPARE(BackupLayout::normaliseLocation(QStringLiteral("/mnt/usb/"), home), QStringLiteral("/mnt/usb/"));
    QCOMPARE(BackupLayout::normaliseLocation(QStringLiteral("~"), home), QStringLiteral("/home/dj/"));
    QCOMPARE(BackupLayout::normaliseLocation(QStringLiteral("~/копии"), home), QStringLiteral("/home/dj/копии/"));
    // A relative path is not left to wherever the program happened to be started.
    QCOMPARE(BackupLayout::normaliseLocation(QStringLiteral("копии"), home), QStringLiteral("/home/dj/копии/"));
    // No location at all is not the root folder.
    QCOMPARE(BackupLayout::normaliseLocation(QString(), home), QString());
    QCOMPARE(BackupLayout::normaliseLocation(QStringLiteral("  "), home), QString());

    QCOMPARE(BackupLayout::datedBackupPath(QStringLiteral("/m/"), QDate(2005, 3, 17)),
             QStringLiteral("/m/2005/03-17.dat"));
}

void tst_backuplayout::defaults()
{
    const auto interval = BackupLayout::defaultInterval(QDate(2026, 12, 10));
    QCOMPARE(interval.from, QDate(2026, 12, 1));
    QCOMPARE(interval.to, QDate(2026, 12, 10));

    const QString home = QStringLiteral("/home/dj");
    const QString fallback = QStringLiteral("/home/dj/Резервные копии Cratebook/");
    QCOMPARE(BackupLayout::defaultLocation({}, home), fallback);
    QCOMPARE(BackupLayout::defaultLocation({{QStringLiteral("/"), false, true},
                                            {QStringLiteral("/media/dj/EMPTY"), true, false},
                                            {QStringLiteral("/media/dj/STICK"), true, true},
                                            {QStringLiteral("/media/dj/OTHER"), true, true}},
                                           home),
             QStringLiteral("/media/dj/STICK/"));
    QCOMPARE(BackupLayout::defaultLocation({{QStringLiteral("/"), true, true}}, home), fallback);
}

void tst_backuplayout::listsTheDatedBackupsOfYearFolders()
{
    QTemporaryDir medium;
    const QString m = medium.path() + QLatin1Char('/');
    for (const char *name : {"2005/03-17.dat", "2005/12-01.dat", "2005/04-01.DAT", "2005/1-2.dat", "2005/0317.dat",
                             "2005/03-18.txt", "2005/03-19.dat.bak", "2004/06-30.dat", "1999/01-01.dat",
                             "elsewhere/2011/01-01.dat", "elsewhere/07-07.dat", "2003", "2008\n/01-01.dat"})
        QVERIFY(writeBytes(m + QLatin1String(name), "x"));
    QVERIFY(QDir(m).mkdir(QStringLiteral("2007"))); // a year folder without backups
    // A link to a folder is not a year folder of this medium; a read-only folder is.
    QVERIFY(QFile::link(m + QStringLiteral("elsewhere"), m + QStringLiteral("2010")));
    QVERIFY(writeBytes(m + QStringLiteral("2006/05-05.dat"), "x"));
    QVERIFY(QFile::setPermissions(m + QStringLiteral("2006"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    const BackupLayout::Listing listing = BackupLayout::list(m);
    QFile::setPermissions(m + QStringLiteral("2006"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(listing.yearFolders, (QStringList{m + QStringLiteral("2004"), m + QStringLiteral("2005"),
                                               m + QStringLiteral("2006"), m + QStringLiteral("2007")}));
    // In name order; every name of the form *-*.dat in any case, also those that are no date.
    QCOMPARE(listing.entries,
             (QStringList{QStringLiteral("30.06.2004"), QStringLiteral("17.03.2005"), QStringLiteral("01.04.2005"),
                          QStringLiteral(".d.1-.2005"), QStringLiteral("01.12.2005"), QStringLiteral("05.05.2006")}));
    QCOMPARE(BackupLayout::entryText(QStringLiteral("/m/20050"), QStringLiteral("03-17.dat")),
             QStringLiteral("17.03.0050"));

    QTemporaryDir empty;
    QCOMPARE(BackupLayout::list(empty.path() + QLatin1Char('/')).yearFolders, QStringList());
    QCOMPARE(BackupLayout::list(empty.path() + QStringLiteral("/missing/")).yearFolders, QStringList());
}

void tst_backuplayout::entriesLeadBackToTheirFiles()
{
    QTemporaryDir medium;
    const QString m = medium.path() + QLatin1Char('/');
    QVERIFY(writeBytes(m + QStringLiteral("2005/03-17.dat"), "a"));
    QVERIFY(writeBytes(m + QStringLiteral("2005/04-01.DAT"), "b"));
    QVERIFY(writeBytes(m + QStringLiteral("1-/d-.dat"), "not a backup"));

    const auto dated = BackupLayout::sourceOf(m, QStringLiteral("17.03.2005"));
    QVERIFY(dated.valid);
    QCOMPARE(dated.path, m + QStringLiteral("2005/03-17.dat"));
    QCOMPARE(BackupLayout::resolveSource(dated), dated.path);
    // Written in another case by another system: the file that is there.
    const auto upper = BackupLayout::sourceOf(m, QStringLiteral("01.04.2005"));
    QCOMPARE(BackupLayout::resolveSource(upper), m + QStringLiteral("2005/04-01.DAT"));
    // Missing: the path as built, for the copy to fail on.
    const auto missing = BackupLayout::sourceOf(m, QStringLiteral("02.04.2005"));
    QCOMPARE(BackupLayout::resolveSource(missing), m + QStringLiteral("2005/04-02.dat"));

    // The entry of 1-2.dat names a path that is not the file it came from, and may be another file: it
    // is never read from.
    const auto odd = BackupLayout::sourceOf(m, QStringLiteral(".d.1-.2005"));
    QCOMPARE(odd.path, m + QStringLiteral("1-/d-.dat"));
    QVERIFY(!odd.valid);
    QCOMPARE(BackupLayout::resolveSource(odd), QString());
    for (const char *entry : {"17.03.05", "17.03.2005.x", "1.03.2005", "..../..", "17.03", ""})
        QVERIFY2(!BackupLayout::sourceOf(m, QLatin1String(entry)).valid, entry);
}

void tst_backuplayout::atMost999YearFolders()
{
    QTemporaryDir medium;
    const QString m = medium.path() + QLatin1Char('/');
    for (int i = 0; i < 1001; ++i)
        QVERIFY(QDir(m).mkdir(QStringLiteral("20%1").arg(i, 4, 10, QLatin1Char('0'))));
    const QStringList folders = BackupLayout::yearFolders(m);
    QCOMPARE(folders.size(), BackupLayout::kMaxYearFolders);
    QCOMPARE(folders.last(), m + QStringLiteral("200998"));
}

QTEST_GUILESS_MAIN(tst_backuplayout)
#include "tst_backuplayout.moc"
