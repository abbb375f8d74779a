// "Новый CD из папки...": a folder of real audio files (made by ffmpeg) read, reviewed and stored as one CD
// through the "Треки" menu; clashing track numbers refused by name, the rest stored and saved.
#include "core/text/Cp1251.h"
#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/folder/frmAddFolder.h"
#include "ui/platform/moddialog.h"

#include <QComboBox>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

using namespace MainParts;
using namespace TestSupport;

class tst_addfolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void folderEntersAsOneCd();
    void clashingTracksAreRefused();
    void nothingToEnter();

private:
    frmAddFolder *dialog() const { return m_session->program->addFolder; }
    template <class T> T *control(const char *name) const { return part<T>(dialog(), name); }
    QLineEdit *box(TrackRecord::Field field) const
    {
        return control<QLineEdit>(qPrintable(QStringLiteral("txt%1").arg(boxOf(field))));
    }
    QString cell(int row, int column) const { return control<QTableWidget>("lvFiles")->item(row, column)->text(); }
    // Opens the folder through the menu; `step` runs once it is read, with the dialog shown.
    void enterFolder(const QString &folder, const std::function<void()> &step);
    QList<QByteArray> savedLines() const
    {
        QList<QByteArray> lines = readBytes(m_session->folder.data(QStringLiteral("Main.dat"))).split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }

    QTemporaryDir m_files;
    QString m_folder; // three tagged FLAC files, one broken, one text file
    std::unique_ptr<Session> m_session;
    moddialog::Answerer m_previousAnswerer;
    QString m_chosenFolder; // the folder dialog's answer
    int m_foldersAsked = 0;
};

void tst_addfolder::initTestCase()
{
    m_folder = m_files.filePath(QStringLiteral("Сборник"));
    QVERIFY(QDir().mkpath(m_folder));
    const QStringList tags[] = {
        {QStringLiteral("artist=Диджей"), QStringLiteral("title=Первый"), "comment=c1", "track=1"},
        {"artist=A", "title=Café", "track=2"},
        {"artist=B", "title=Third", "track=3"},
    };
    const QString names[] = {QStringLiteral("1 Один.flac"), "2 Two.flac", "3 Three.flac"};
    for (int i = 0; i < 3; ++i) {
        QStringList args{"-v", "error", "-y", "-f", "lavfi", "-i", "sine=duration=1", "-c:a", "flac"};
        for (const QString &tag : tags[i] + QStringList{"album=Mix", "genre=House", QStringLiteral("publisher=Лейбл")})
            args << "-metadata" << tag;
        QCOMPARE(QProcess::execute("ffmpeg", args << QDir(m_folder).filePath(names[i])), 0);
    }
    QVERIFY(writeBytes(QDir(m_folder).filePath("04 broken.flac"), QByteArray("fLaC") + QByteArray(200, '\x7f')));
    QVERIFY(writeBytes(QDir(m_folder).filePath("notes.txt"), "tracklist"));
}

void tst_addfolder::init()
{
    m_session = std::make_unique<Session>();
    m_foldersAsked = 0;
    m_chosenFolder.clear();
    m_previousAnswerer = moddialog::setAnswerer([this](const moddialog::Request &request) {
        ++m_foldersAsked;
        return request.folder ? m_chosenFolder : QString();
    });
    QVERIFY(m_session->start(QStringLiteral("Main.dat"), "CD\t3\t2\tOld\tTrack\t\t\t\t\t\t\t\t\t\r\n"));
}

void tst_addfolder::cleanup()
{
    const int stray = m_session->finish();
    m_session.reset();
    moddialog::setAnswerer(m_previousAnswerer);
    QCOMPARE(stray, 0);
}

void tst_addfolder::enterFolder(const QString &folder, const std::function<void()> &step)
{
    m_chosenFolder = folder;
    m_session->driver.then([this, step](QDialog *shown) {
        QCOMPARE(shown, dialog());
        QTRY_VERIFY(!control<QProgressBar>("prgRead")->isVisible());
        step();
    });
    action(m_session->program->main, "mnuNewAlbumFolder")->trigger();
}

void tst_addfolder::folderEntersAsOneCd()
{
    frmMain *w = m_session->program->main;
    m_session->answers.answer = MsgBox::Yes; // the code page's question
    enterFolder(m_folder, [this] {
        // What all files share, the next free CD number, and every track ticked in tag order.
        QCOMPARE(control<QComboBox>("txt1")->currentText(), QStringLiteral("CD"));
        QCOMPARE(box(TrackRecord::MediaNumber)->text(), QStringLiteral("4"));
        QCOMPARE(box(TrackRecord::Album)->text(), QStringLiteral("Mix"));
        QCOMPARE(box(TrackRecord::Style)->text(), QStringLiteral("House"));
        QCOMPARE(box(TrackRecord::Label)->text(), QStringLiteral("Лейбл"));
        QCOMPARE(box(TrackRecord::Date)->text(), QString());
        auto *files = control<QTableWidget>("lvFiles");
        QCOMPARE(files->rowCount(), 3);
        QCOMPARE(QStringList({cell(1, 0), cell(1, 1), cell(1, 2), cell(1, 3), cell(1, 4)}),
                 QStringList({"2", "A", "Café", "0:01", "2 Two.flac"}));
        auto *failed = control<QListWidget>("lstFailed");
        QCOMPARE(failed->count(), 1);
        QVERIFY(failed->item(0)->text().startsWith(QStringLiteral("04 broken.flac — ")));
        QVERIFY(control<QLabel>("lblSummary")->text().contains(QStringLiteral("Пропущено других файлов: 1.")));

        files->item(0, frmAddFolder::ArtistColumn)->setText(QStringLiteral("Диджей Один"));
        files->item(2, frmAddFolder::TrackColumn)->setCheckState(Qt::Unchecked);
        box(TrackRecord::Date)->setText(QStringLiteral("01.02.2025"));
        control<QPushButton>("Command1")->click();
        QVERIFY(!dialog()->isVisible());
    });

    QCOMPARE(m_foldersAsked, 1);
    QCOMPARE(m_session->answers.texts(),
             QStringList{QStringLiteral("Некоторые символы нельзя сохранить в файле базы, они будут записаны "
                                        "так:\r\n«Café» → «Cafe»\r\nДобавить треки?")});
    QCOMPARE(savedLines(),
             (QList<QByteArray>{"CD\t3\t2\tOld\tTrack\t\t\t\t\t\t\t\t\t\r",
                                Cp1251::encode(u"CD\t4\t1\tДиджей Один\tПервый\tMix\t0:01\t01.02.2025\tHouse\tЛейбл\t"
                                               u"c1\t\t\t\r"),
                                Cp1251::encode(u"CD\t4\t2\tA\tCafe\tMix\t0:01\t01.02.2025\tHouse\tЛейбл\t\t\t\t\r")}));
    QCOMPARE(lv(w)->count(), 3);
    QCOMPARE(w->statusText(), QStringLiteral("Загружено 3 треков"));
    QVERIFY(m_session->program->g.catalogue.colAutoComplete().values(4).contains(QStringLiteral("Диджей Один")));
}

void tst_addfolder::clashingTracksAreRefused()
{
    m_session->answers.answer = MsgBox::Yes;
    enterFolder(m_folder, [this] {
        box(TrackRecord::MediaNumber)->setText(QStringLiteral("3"));
        control<QPushButton>("Command1")->click();
        // The clashing track stays for another number; the others are stored.
        QVERIFY(dialog()->isVisible());
        QCOMPARE(control<QTableWidget>("lvFiles")->rowCount(), 1);
        QCOMPARE(cell(0, frmAddFolder::FileColumn), QStringLiteral("2 Two.flac"));
        dialog()->reject();
    });
    // The clashing track is not asked about: its text is not stored.
    QCOMPARE(m_session->answers.messages().size(), 1);
    const MsgBox::Request clash = m_session->answers.messages().last();
    QCOMPARE(clash.text, QStringLiteral("Такие треки уже существуют: CD #3 трек 2 (A - Café).\r\n"
                                        "Поменяйте номер носителя или номера треков."));
    QCOMPARE(clash.title, QStringLiteral("Уже есть!"));
    const QList<QByteArray> lines = savedLines();
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(1).startsWith("CD\t3\t1\t") && lines.at(2).startsWith("CD\t3\t3\tB\tThird\t"));
}

void tst_addfolder::nothingToEnter()
{
    // While the editor is open the command does nothing; a cancelled folder dialog ends it.
    m_session->program->g.editor.iEditorOpen = true;
    action(m_session->program->main, "mnuNewAlbumFolder")->trigger();
    QCOMPARE(m_foldersAsked, 0);
    m_session->program->g.editor.iEditorOpen = false;
    action(m_session->program->main, "mnuNewAlbumFolder")->trigger();
    QCOMPARE(m_foldersAsked, 1);
    QCOMPARE(m_session->driver.shown, 0);

    // A folder without audio files is told, and the dialog closes.
    QTemporaryDir empty;
    QVERIFY(writeBytes(empty.filePath("cover.jpg"), "\xFF\xD8\xFF"));
    m_chosenFolder = empty.path();
    m_session->driver.then([this](QDialog *) { QTRY_VERIFY(!dialog()->isVisible()); });
    action(m_session->program->main, "mnuNewAlbumFolder")->trigger();
    QCOMPARE(
        m_session->answers.texts(),
        QStringList{QStringLiteral("В папке «%1» нет звуковых файлов.").arg(QDir::toNativeSeparators(empty.path()))});
    QCOMPARE(savedLines().size(), 1);
}

QTEST_MAIN(tst_addfolder)
#include "tst_addfolder.moc"
