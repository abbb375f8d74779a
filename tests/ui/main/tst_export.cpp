#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/main/frmMain.h"
#include "ui/platform/ListView.h"
#include "ui/platform/moddialog.h"

#include <QAction>
#include <QLineEdit>

using namespace MainParts;
using namespace TestSupport;

class tst_export : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void writesTheShownRows();
    void extension_data();
    void extension();
    void emptyListAndCancel();
    void tracklistAsShown();
    void failedWriteLeavesNothing();

private:
    QString answer; // what the save dialog returns
    QList<moddialog::Request> asked;
    moddialog::Answerer m_previous;
    std::unique_ptr<Session> m_session;
    frmMain *w = nullptr;
};

void tst_export::initTestCase()
{
    Twips::setPerPixelForTesting(15, 15);
}

void tst_export::init()
{
    asked.clear();
    m_previous = moddialog::setAnswerer([this](const moddialog::Request &request) {
        asked.append(request);
        return answer;
    });
    m_session = std::make_unique<Session>();
    QVERIFY(m_session->start(QStringLiteral("Main.dat"),
                             "CD\t1\t1\t\xc0\xf0\xf2\xe8\xf1\xf2\tOne\t\t3:00\t\t\t\t\t5\tr12\tr13\r\n"
                             "LP\t2\tA1\tBeta\tTwo\tAlbum\t\t\t\t\t\t\t\t\r\n"));
    w = m_session->program->main;
    answer = m_session->folder.file(QStringLiteral("out"));
}

void tst_export::cleanup()
{
    moddialog::setAnswerer(m_previous);
    const int stray = m_session->finish();
    m_session.reset();
    QCOMPARE(stray, 0);
}

void tst_export::writesTheShownRows()
{
    action(w, "mnuExportFile")->trigger();
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].save);
    QCOMPARE(asked[0].title, QStringLiteral("Экспорт текущего списка в текстовый файл"));
    QCOMPARE(asked[0].filter, QStringLiteral("*.txt"));
    QCOMPARE(asked[0].initialName, QString());
    const QByteArray header = "\xd2\xe8\xef \xed\xee\xf1\xe8\xf2\xe5\xeb\xff"; // "Тип носителя"
    const QByteArray written = readBytes(m_session->folder.file(QStringLiteral("out.txt")));
    QVERIFY(written.startsWith(QByteArray(header + "\t")));
    const QList<QByteArray> lines = written.split('\n');
    QCOMPARE(lines.size(), 4); // header, two rows, and nothing after the last CR LF
    QCOMPARE(lines[0].count('\t'), 11);
    QCOMPARE(lines[1], QByteArray("CD\t1\t1\t\xc0\xf0\xf2\xe8\xf1\xf2\tOne\t\t3:00\t\t\t\t\t5\r"));
    QCOMPARE(lines[2], QByteArray("LP\t2\tA1\tBeta\tTwo\tAlbum\t\t\t\t\t\t\r"));
    QVERIFY(lines[3].isEmpty());
    const auto messages = m_session->answers.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QStringLiteral("Готово!"));
    QCOMPARE(messages[0].title, QString());
    QCOMPARE(messages[0].icon, MsgBox::Information);

    // After a search only the found tracks, under the same header.
    Text1(w)->setText(QStringLiteral("beta"));
    QTRY_VERIFY(!w->features().search->isSearching());
    action(w, "mnuExportFile")->trigger();
    const QList<QByteArray> found = readBytes(m_session->folder.file(QStringLiteral("out.txt"))).split('\n');
    QCOMPARE(found.size(), 3);
    QCOMPARE(found[0], lines[0]);
    QVERIFY(found[1].startsWith("LP\t2\tA1\tBeta"));
}

void tst_export::extension_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("none") << "list"
                          << "list.txt";
    QTest::newRow("upper case") << "LIST.TXT"
                                << "LIST.TXT";
    QTest::newRow("mixed case") << "list.TxT"
                                << "list.TxT";
    QTest::newRow(".text") << "list.text"
                           << "list.text.txt";
}

void tst_export::extension()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    answer = m_session->folder.file(chosen);
    // An existing file is replaced without a question.
    writeBytes(m_session->folder.file(written), "old");
    action(w, "mnuExportFile")->trigger();
    QVERIFY(readBytes(m_session->folder.file(written)).startsWith("\xd2\xe8\xef"));
}

void tst_export::emptyListAndCancel()
{
    // The Tracklist is empty: no dialog, nothing said.
    action(w, "mnuExportFile2")->trigger();
    QVERIFY(asked.isEmpty());
    answer.clear();
    action(w, "mnuExportFile")->trigger();
    QCOMPARE(asked.size(), 1);
    QVERIFY(m_session->answers.messages().isEmpty());
    QCOMPARE(QDir(m_session->folder.path()).entryList(QDir::Files), QStringList());
}

void tst_export::tracklistAsShown()
{
    lv(w)->setSelectedRow(0);
    w->features().tracklist->addToTracklist();
    w->features().tracklist->addToTracklist();
    lv2(w)->removeItem(0);
    w->features().tracklist->addToTracklist();
    action(w, "mnuExportFile2")->trigger();
    QCOMPARE(asked.last().title, QStringLiteral("Экспорт списка отборных треков в текстовый файл"));
    const QByteArray artist = "\xc0\xf0\xf2\xe8\xf1\xf2";
    QCOMPARE(readBytes(m_session->folder.file(QStringLiteral("out.txt"))),
             QByteArray("\xb9\t\xc8\xf1\xef\xee\xeb\xed\xe8\xf2\xe5\xeb\xfc\t\xcd\xe0\xe7\xe2\xe0\xed\xe8\xe5\t"
                        "\xc4\xeb\xe8\xf2\xe5\xeb\xfc\xed\xee\xf1\xf2\xfc\t\xd2\xe8\xef \xe8 \xb9 \xed\xee\xf1\xe8"
                        "\xf2\xe5\xeb\xff\r\n") +
                 "2\t" + artist + "\tOne\t3:00\tCD #1\r\n2\t" + artist + "\tOne\t3:00\tCD #1\r\n");
}

void tst_export::failedWriteLeavesNothing()
{
    answer = m_session->folder.file(QStringLiteral("missing/folder/out"));
    QVERIFY(!w->features().textExport->exportList(lv(w), QStringLiteral("x")));
    const auto messages = m_session->answers.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].icon, MsgBox::Critical);
    // In the user's words, and with no word of a previous content where there was no file.
    const QString path = QDir::toNativeSeparators(m_session->folder.file(QStringLiteral("missing/folder/out.txt")));
    QCOMPARE(messages[0].text,
             QStringLiteral("Не удалось записать файл \"%1\".\r\nПапка «%2» не существует.")
                 .arg(path, QDir::toNativeSeparators(m_session->folder.file(QStringLiteral("missing/folder")))));
    QVERIFY(!QFileInfo::exists(m_session->folder.file(QStringLiteral("missing"))));

    // A file that was there is said to be unchanged.
    const QString readOnly = m_session->folder.file(QStringLiteral("old.txt"));
    writeBytes(readOnly, "old");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    answer = readOnly;
    QVERIFY(!w->features().textExport->exportList(lv(w), QStringLiteral("x")));
    QCOMPARE(m_session->answers.messages().last().text,
             QStringLiteral("Не удалось записать файл \"%1\".\r\nФайл доступен только для чтения.\r\n"
                            "Прежнее содержимое файла осталось без изменений.")
                 .arg(QDir::toNativeSeparators(readOnly)));
    QCOMPARE(readBytes(readOnly), QByteArray("old"));
}

QTEST_MAIN(tst_export)
#include "tst_export.moc"
