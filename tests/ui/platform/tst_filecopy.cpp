#include "core/catalogue/BaseFiles.h"
#include "core/system/FileCopy.h"
#include "support/TestFiles.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/modFO.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

class tst_filecopy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void acceptedBaseNames_data();
    void acceptedBaseNames();
    void copyReplacesWholeFile();
    void copyFailuresLeaveTheDestination();
    void copyMakesFoldersOnlyWhenAllowed();
    void shellCopyAsksBeforeReplacing();
    void shellCopyFailureIsToldOrReturned();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QList<MsgBox::Request> m_asked;
    MsgBox::Result m_answer = MsgBox::Yes;
    MsgBox::Answerer m_previous;
};

void tst_filecopy::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_asked.clear();
    m_answer = MsgBox::Yes;
    m_previous = MsgBox::setAnswerer([this](const MsgBox::Request &request) {
        m_asked.append(request);
        return m_answer;
    });
}

void tst_filecopy::cleanup()
{
    MsgBox::setAnswerer(m_previous);
}

void tst_filecopy::acceptedBaseNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("cyrillic with blanks") << QStringLiteral("Мой винил 2026");
    QTest::newRow("dots inside") << QStringLiteral("v1.2");
    QTest::newRow("leading dot") << QStringLiteral(".old");
    QTest::newRow("device-like") << QStringLiteral("CONSOLE");
    QTest::newRow("com0") << QStringLiteral("com0");
    QTest::newRow("dollar") << QStringLiteral("Rock$");
    QTest::newRow("longest") << QString(250 - 5, QLatin1Char('a'));
}

void tst_filecopy::acceptedBaseNames()
{
    // The refused ones are tried through the create command itself.
    QFETCH(QString, name);
    QCOMPARE(BaseFiles::baseNameError(name), QString());
    QVERIFY(!BaseFiles::baseNameError(name + QLatin1Char('/')).isEmpty());
}

void tst_filecopy::copyReplacesWholeFile()
{
    QByteArray big(3 * (1 << 20) + 17, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i * 7);
    writeBytes(path(QStringLiteral("from")), big);
    writeBytes(path(QStringLiteral("to")), QByteArray(5 << 20, 'x'));
    QString error;
    QVERIFY2(FileCopy::copy(path(QStringLiteral("from")), path(QStringLiteral("to")), {}, &error), qPrintable(error));
    QCOMPARE(readBytes(path(QStringLiteral("to"))), big);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2); // no temporary file left
}

void tst_filecopy::copyFailuresLeaveTheDestination()
{
    const QString from = path(QStringLiteral("from"));
    const QString to = path(QStringLiteral("to"));
    writeBytes(from, "new");
    writeBytes(to, "old");
    QString error;

    QVERIFY(!FileCopy::copy(path(QStringLiteral("none")), to, {}, &error));
    QCOMPARE(error, QStringLiteral("файл не найден"));
    QVERIFY(!FileCopy::copy(m_dir->path(), to, {}, &error));

    // The same file under another spelling would be truncated by a naive copy.
    QVERIFY(!FileCopy::copy(from, m_dir->path() + QStringLiteral("/./from"), {}, &error));
    QCOMPARE(readBytes(from), QByteArray("new"));

    QFile::setPermissions(to, QFileDevice::ReadOwner);
    QVERIFY(!FileCopy::copy(from, to, {}, &error));
    QCOMPARE(error, QStringLiteral("файл доступен только для чтения"));
    QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(readBytes(to), QByteArray("old"));

    QDir(m_dir->path()).mkdir(QStringLiteral("folder"));
    QVERIFY(!FileCopy::copy(from, path(QStringLiteral("folder")), {}, &error));
    QVERIFY(QFileInfo(path(QStringLiteral("folder"))).isDir());
}

void tst_filecopy::copyMakesFoldersOnlyWhenAllowed()
{
    const QString from = path(QStringLiteral("from"));
    writeBytes(from, "data");
    const QString to = path(QStringLiteral("a/b/to"));
    QVERIFY(!FileCopy::copy(from, to));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("a"))));
    FileCopy::Options options;
    options.createFolders = true;
    QVERIFY(FileCopy::copy(from, to, options));
    QCOMPARE(readBytes(to), QByteArray("data"));
}

void tst_filecopy::shellCopyAsksBeforeReplacing()
{
    const QString from = path(QStringLiteral("from"));
    const QString to = path(QStringLiteral("to"));
    writeBytes(from, "new");

    QVERIFY(modFO::copyFile(nullptr, from, to)); // nothing to replace: no question
    QVERIFY(m_asked.isEmpty());

    writeBytes(to, "old");
    m_answer = MsgBox::No;
    QString error;
    QVERIFY(!modFO::copyFile(nullptr, from, to, modFO::NoFlags, &error));
    QCOMPARE(m_asked.size(), 1); // the question, and no error notice for a refusal
    QCOMPARE(m_asked[0].buttons, MsgBox::YesNo);
    QCOMPARE(m_asked[0].defaultButton, MsgBox::SecondButton);
    QCOMPARE(readBytes(to), QByteArray("old"));

    m_answer = MsgBox::Yes;
    QVERIFY(modFO::copyFile(nullptr, from, to));
    QCOMPARE(readBytes(to), QByteArray("new"));

    writeBytes(to, "old");
    m_asked.clear();
    QVERIFY(modFO::copyFile(nullptr, from, to, modFO::NoConfirmation));
    QVERIFY(m_asked.isEmpty());
    QCOMPARE(readBytes(to), QByteArray("new"));
}

void tst_filecopy::shellCopyFailureIsToldOrReturned()
{
    const QString from = path(QStringLiteral("from"));
    writeBytes(from, "data");
    const QString to = path(QStringLiteral("sub/to"));

    QVERIFY(!modFO::copyFile(nullptr, from, to));
    QCOMPARE(m_asked.size(), 1);
    QCOMPARE(m_asked[0].icon, MsgBox::Critical);
    QVERIFY(m_asked[0].text.contains(QDir::toNativeSeparators(to)));

    m_asked.clear();
    QString error;
    QVERIFY(!modFO::copyFile(nullptr, path(QStringLiteral("none")), to, modFO::NoErrorUi, &error));
    QVERIFY(m_asked.isEmpty());
    QCOMPARE(error, QStringLiteral("файл не найден"));

    // The flags of the backup copies: no question, folders made.
    QVERIFY(modFO::copyFile(nullptr, from, to, modFO::NoConfirmation | modFO::NoConfirmMkdir));
    QCOMPARE(readBytes(to), QByteArray("data"));
}

QTEST_MAIN(tst_filecopy)
#include "tst_filecopy.moc"
