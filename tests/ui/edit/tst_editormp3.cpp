// The editor's MP3 buttons, on files made here byte by byte: a frame header followed by silence fixes
// the play time (128 kbit/s is 16 000 bytes a second), and the ID3v1 tag is the file's last 128 bytes.
#include "core/text/Cp1251.h"
#include "support/FaultShim.h"
#include "support/TestProgram.h"
#include "ui/edit/frmAddEdit.h"
#include "ui/platform/moddialog.h"

#include <QComboBox>
#include <QLineEdit>

using namespace TestSupport;

namespace {

// An MPEG-1 layer III frame header: 128 kbit/s, 44 100 Hz, joint stereo.
const QByteArray kFrameHeader = QByteArray::fromHex("FFFB9044");

// A field of the tag: the text in the code page, cut or padded with `pad` to `width` bytes.
QByteArray tagField(const QString &text, int width, char pad = '\0')
{
    return Cp1251::encode(text).left(width).leftJustified(width, pad);
}

QByteArray id3v1(const QString &title, const QString &artist, const QString &album, const QString &year,
                 const QString &comment, quint8 genre = 0, char pad = '\0')
{
    return "TAG" + tagField(title, 30, pad) + tagField(artist, 30, pad) + tagField(album, 30, pad) +
           tagField(year, 4, pad) + tagField(comment, 30, pad) + QByteArray(1, char(genre));
}

// An MPEG-2 layer III frame header at 8 kbit/s (1 000 bytes a second), for long play times in small files.
const QByteArray kSlowFrameHeader = QByteArray::fromHex("FFF31044");

// `seconds` of audio (the tag adds less than a second's bytes): 128 kbit/s, or 8 kbit/s when `slow`. Two
// frames (of 417 and of 26 bytes) and silence.
QByteArray audio(int seconds, bool slow = false)
{
    const QByteArray &header = slow ? kSlowFrameHeader : kFrameHeader;
    const int frame = slow ? 26 : 417;
    return header + QByteArray(frame - 4, '\0') + header +
           QByteArray(seconds * (slow ? 1000 : 16000) - frame - header.size(), '\0');
}

} // namespace

class tst_editormp3 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void readFillsTheBoxes();
    void boxesTheFileDoesNotFill();
    void notAnMp3File();
    void unreadableFileChangesNothing();
    void cancelChangesNothing();
    void writeReplacesTheTag();
    void writeAppendsATag();
    void writeFailureIsTold();
    void everyOperationOfAWriteFails();
    void textsOutsideTheCodePage();

private:
    frmAddEdit *ed() const { return m_program->addEdit; }
    QLineEdit *box(TrackRecord::Field field) const { return ed()->txt[boxOf(field)]; }
    QString file(const QString &name) const { return m_session->folder.file(name); }
    // The answer of the next file dialogs: a path, or empty for a cancelled dialog.
    void choose(const QString &path) { m_next = path; }
    QList<MsgBox::Request> messages() const { return m_session->answers.messages(); }

    std::unique_ptr<Session> m_session;
    Program *m_program = nullptr;
    QList<moddialog::Request> m_asked;
    QString m_next;
    moddialog::Answerer m_previous;
};

void tst_editormp3::init()
{
    m_session = std::make_unique<Session>();
    QVERIFY(m_session->start(QStringLiteral("Main.dat"), QByteArray()));
    m_program = m_session->program.get();
    m_asked.clear();
    m_previous = moddialog::setAnswerer([this](const moddialog::Request &request) {
        m_asked.append(request);
        return m_next;
    });
}

void tst_editormp3::cleanup()
{
    FaultShim::disarm();
    moddialog::setAnswerer(m_previous);
    const int stray = m_session ? m_session->finish() : 0;
    m_session.reset();
    QCOMPARE(stray, 0);
}

void tst_editormp3::readFillsTheBoxes()
{
    writeBytes(file(QStringLiteral("a.mp3")),
               audio(245) + id3v1(QStringLiteral("Porcelain"), QStringLiteral("moby"), QStringLiteral("  Play "),
                                  QStringLiteral("1999"), QStringLiteral("Лучшее"), 0, ' '));
    box(TrackRecord::MediaNumber)->setText(QStringLiteral("7"));
    choose(file(QStringLiteral("a.mp3")));
    ed()->Command4_Click();

    // The dialog: the program's folder, no title, the one MP3 filter.
    QCOMPARE(m_asked.size(), 1);
    QVERIFY(!m_asked[0].save);
    QCOMPARE(QDir::cleanPath(m_asked[0].initialFolder), QDir::cleanPath(m_session->folder.path()));
    QCOMPARE(m_asked[0].title, QString());
    QCOMPARE(m_asked[0].filter, QStringLiteral("MP3 File") + QChar(0) + QStringLiteral("*.mp3") + QChar(0));

    // The tag's texts without their padding, as they are: the editor neither capitalises nor completes
    // what it fills in itself.
    QCOMPARE(box(TrackRecord::Artist)->text(), QStringLiteral("moby"));
    QCOMPARE(box(TrackRecord::Title)->text(), QStringLiteral("Porcelain"));
    QCOMPARE(box(TrackRecord::Album)->text(), QStringLiteral("Play"));
    QCOMPARE(box(TrackRecord::Comment)->text(), QStringLiteral("Лучшее"));
    QCOMPARE(box(TrackRecord::Duration)->text(), QStringLiteral("4:05"));
    QCOMPARE(box(TrackRecord::MediaNumber)->text(), QStringLiteral("7"));
    QVERIFY(!ed()->AutoDisable);
    QVERIFY(messages().isEmpty());

    // After the first read the dialogs no longer start in the program's folder.
    QCOMPARE(m_program->g.paths.sMp3Folder, QString());
    choose(QString());
    ed()->Command5_Click();
    QCOMPARE(m_asked.size(), 2);
    QCOMPARE(m_asked[1].initialFolder, QString());
}

void tst_editormp3::boxesTheFileDoesNotFill()
{
    writeBytes(file(QStringLiteral("tagged.mp3")),
               audio(200) + id3v1(QStringLiteral("Teardrop"), QStringLiteral("Massive Attack"),
                                  QStringLiteral("Mezzanine"), QStringLiteral("1998"), QString()));
    writeBytes(file(QStringLiteral("bare.mp3")), audio(3800, true));
    choose(file(QStringLiteral("tagged.mp3")));
    ed()->Command4_Click();
    box(TrackRecord::Artist)->setText(QStringLiteral("Typed"));
    box(TrackRecord::Comment)->setText(QStringLiteral("Typed too"));

    // A file without any tag has no texts: the boxes keep what they hold; its own play time is shown.
    choose(file(QStringLiteral("bare.mp3")));
    ed()->Command4_Click();
    QCOMPARE(box(TrackRecord::Artist)->text(), QStringLiteral("Typed"));
    QCOMPARE(box(TrackRecord::Comment)->text(), QStringLiteral("Typed too"));
    QCOMPARE(box(TrackRecord::Duration)->text(), QStringLiteral("63:20"));

    // During album entry the CD's locked boxes keep the CD's values.
    ed()->setAlbumFieldsLocked(true);
    box(TrackRecord::Album)->setText(QStringLiteral("The CD's album"));
    choose(file(QStringLiteral("tagged.mp3")));
    ed()->Command4_Click();
    ed()->setAlbumFieldsLocked(false);
    QCOMPARE(box(TrackRecord::Album)->text(), QStringLiteral("The CD's album"));
    QCOMPARE(box(TrackRecord::Artist)->text(), QStringLiteral("Massive Attack"));
}

void tst_editormp3::notAnMp3File()
{
    writeBytes(file(QStringLiteral("notes.mp3")),
               QByteArray(5000, 'x') +
                   id3v1(QStringLiteral("Title"), QStringLiteral("Artist"), QString(), QString(), QString()));
    box(TrackRecord::Duration)->setText(QStringLiteral("5:20"));
    choose(file(QStringLiteral("notes.mp3")));
    ed()->Command4_Click();

    const auto told = messages();
    QCOMPARE(told.size(), 1);
    QCOMPARE(told[0].text, QStringLiteral("Not a MP3 file..."));
    QCOMPARE(told[0].title, QStringLiteral("Error..."));
    QCOMPARE(told[0].icon, MsgBox::Critical);
    // The tag is taken all the same; no play time follows, so the duration typed stays.
    QCOMPARE(box(TrackRecord::Artist)->text(), QStringLiteral("Artist"));
    QCOMPARE(box(TrackRecord::Duration)->text(), QStringLiteral("5:20"));
    QVERIFY(!ed()->AutoDisable);
}

void tst_editormp3::unreadableFileChangesNothing()
{
    // A folder chosen by name, and a file gone before it was read: told, and no box changes.
    QDir(m_session->folder.path()).mkdir(QStringLiteral("folder.mp3"));
    box(TrackRecord::Artist)->setText(QStringLiteral("Kept"));
    box(TrackRecord::Duration)->setText(QStringLiteral("1:00"));
    for (const QString &name : {QStringLiteral("folder.mp3"), QStringLiteral("gone.mp3")}) {
        choose(file(name));
        ed()->Command4_Click();
    }
    const auto told = messages();
    QCOMPARE(told.size(), 2);
    for (const auto &message : told) {
        QVERIFY2(message.text.startsWith(QStringLiteral("Не удалось прочитать файл")), qPrintable(message.text));
        QCOMPARE(message.icon, MsgBox::Critical);
    }
    QVERIFY(told[1].text.contains(QDir::toNativeSeparators(file(QStringLiteral("gone.mp3")))));
    QCOMPARE(box(TrackRecord::Artist)->text(), QStringLiteral("Kept"));
    QCOMPARE(box(TrackRecord::Duration)->text(), QStringLiteral("1:00"));
}

void tst_editormp3::cancelChangesNothing()
{
    box(TrackRecord::Artist)->setText(QStringLiteral("Kept"));
    choose(QString());
    ed()->Command4_Click();
    ed()->Command5_Click();
    QCOMPARE(m_asked.size(), 2);
    QCOMPARE(box(TrackRecord::Artist)->text(), QStringLiteral("Kept"));
    // Only a read that happened moves the dialogs off the program's folder.
    QCOMPARE(QDir::cleanPath(m_program->g.paths.sMp3Folder), QDir::cleanPath(m_session->folder.path()));
    QCOMPARE(QDir::cleanPath(m_asked[1].initialFolder), QDir::cleanPath(m_session->folder.path()));
    QVERIFY(messages().isEmpty());
}

void tst_editormp3::writeReplacesTheTag()
{
    // The year of the last tag read is that file's, not this one's.
    writeBytes(file(QStringLiteral("source.mp3")), audio(10) + id3v1(QStringLiteral("Old"), QStringLiteral("Old"),
                                                                     QString(), QStringLiteral("1997"), QString(), 5));
    choose(file(QStringLiteral("source.mp3")));
    ed()->Command4_Click();

    const QByteArray sound = audio(12);
    writeBytes(file(QStringLiteral("target.mp3")),
               sound + id3v1(QStringLiteral("x"), QStringLiteral("y"), QString(), QStringLiteral("2001"), QString()));
    box(TrackRecord::Artist)->setText(QStringLiteral("Мумий Тролль"));
    box(TrackRecord::Title)->setText(QStringLiteral("Утекай"));
    box(TrackRecord::Album)->setText(QStringLiteral("An album whose name runs past thirty characters"));
    box(TrackRecord::Comment)->setText(QString());
    box(TrackRecord::Style)->setText(QStringLiteral("Rock"));
    choose(file(QStringLiteral("target.mp3")));
    ed()->Command5_Click();

    QVERIFY(messages().isEmpty());
    const QByteArray written = readBytes(file(QStringLiteral("target.mp3")));
    QCOMPARE(written.size(), sound.size() + 128);
    QCOMPARE(written.left(sound.size()), sound);
    QCOMPARE(written.mid(sound.size()), id3v1(QStringLiteral("Утекай"), QStringLiteral("Мумий Тролль"),
                                              QStringLiteral("An album whose name runs past thirty characters"),
                                              QStringLiteral("2001"), QString(), 17, ' '));
    // Writing alone leaves the dialogs where they start.
    QCOMPARE(m_asked.size(), 2);

    // A style that names no genre keeps the file's own.
    box(TrackRecord::Style)->setText(QStringLiteral("rock"));
    ed()->Command5_Click();
    QCOMPARE(readBytes(file(QStringLiteral("target.mp3"))).right(1), QByteArray(1, char(17)));
}

void tst_editormp3::writeAppendsATag()
{
    m_program->g.editor.tagBuffer.Year = QStringLiteral("1997"); // as another file's tag left it
    const QByteArray sound = audio(3);
    writeBytes(file(QStringLiteral("bare.mp3")), sound);
    box(TrackRecord::Artist)->setText(QStringLiteral("Zemfira"));
    box(TrackRecord::Style)->setText(QStringLiteral("Rock & roll")); // "Rock & Roll" only, exactly
    choose(file(QStringLiteral("bare.mp3")));
    ed()->Command5_Click();

    const QByteArray written = readBytes(file(QStringLiteral("bare.mp3")));
    QCOMPARE(written.size(), sound.size() + 128);
    QCOMPARE(written.left(sound.size()), sound);
    QCOMPARE(written.mid(sound.size() + 33, 30), tagField(QStringLiteral("Zemfira"), 30, ' '));
    // No year of its own, and no genre.
    QCOMPARE(written.mid(sound.size() + 93, 4), QByteArray(4, '\0'));
    QCOMPARE(written.at(written.size() - 1), '\xFF');
    // Writing alone leaves the dialogs in the program's folder.
    QCOMPARE(QDir::cleanPath(m_asked[0].initialFolder), QDir::cleanPath(m_session->folder.path()));
}

void tst_editormp3::writeFailureIsTold()
{
    // The file went away between the dialog and the write.
    choose(file(QStringLiteral("gone.mp3")));
    ed()->Command5_Click();
    auto told = messages();
    QCOMPARE(told.size(), 1);
    QVERIFY2(told[0].text.startsWith(QStringLiteral("Не удалось записать тег MP3 в файл \"%1\".\r\n")
                                         .arg(QDir::toNativeSeparators(file(QStringLiteral("gone.mp3"))))),
             qPrintable(told[0].text));
    QVERIFY(!told[0].text.contains(QStringLiteral("без изменений")));
    QCOMPARE(told[0].icon, MsgBox::Critical);
    QVERIFY(!QFileInfo::exists(file(QStringLiteral("gone.mp3"))));

    // A file that cannot be written keeps its bytes, and the user is told so.
    const QByteArray before = audio(2);
    const QString locked = file(QStringLiteral("locked.mp3"));
    writeBytes(locked, before);
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadUser));
    choose(locked);
    ed()->Command5_Click();
    told = messages();
    QCOMPARE(told.size(), 2);
    QVERIFY2(told[1].text.endsWith(QStringLiteral("\r\nФайл остался без изменений.")), qPrintable(told[1].text));
    QCOMPARE(readBytes(locked), before);
}

// A write failed at each file operation in turn, once and from then on: the user is told the file is as it
// was exactly when it is, and that it may have changed otherwise (the bytes are checked where tags are written).
void tst_editormp3::everyOperationOfAWriteFails()
{
    const QString folder = file(QStringLiteral("music"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/song.mp3");
    const QByteArray oldBytes = audio(2) + id3v1(QStringLiteral("Old"), QString(), QString(), QString(), QString());
    choose(path);
    writeBytes(path, oldBytes);
    FaultShim::arm(folder, 0, FaultShim::Mode::Once);
    ed()->Command5_Click();
    const int operations = FaultShim::operations();
    FaultShim::disarm();
    for (const FaultShim::Mode mode : {FaultShim::Mode::Once, FaultShim::Mode::FromThenOn}) {
        for (int n = 1; n <= operations; ++n) {
            writeBytes(path, oldBytes);
            const qsizetype before = messages().size();
            FaultShim::arm(folder, n, mode);
            ed()->Command5_Click();
            FaultShim::disarm();
            const QString told = messages().size() > before ? messages().last().text : QString();
            const bool kept = readBytes(path) == oldBytes;
            QVERIFY2(told.endsWith(QStringLiteral("\r\nФайл остался без изменений.")) == kept, qPrintable(told));
            QVERIFY2(told.contains(QStringLiteral("файл мог измениться")) == (!kept && !told.isEmpty()),
                     qPrintable(told));
        }
    }
}

void tst_editormp3::textsOutsideTheCodePage()
{
    const QByteArray sound = audio(2);
    const QString path = file(QStringLiteral("t.mp3"));
    writeBytes(path, sound);
    box(TrackRecord::Artist)->setText(QStringLiteral("Café ☃"));
    box(TrackRecord::Title)->setText(QStringLiteral("Кафе"));

    // Declined: nothing is written.
    m_session->answers.answer = MsgBox::No;
    choose(path);
    ed()->Command5_Click();
    auto told = messages();
    QCOMPARE(told.size(), 1);
    QCOMPARE(told[0].text, QStringLiteral("Некоторые символы нельзя записать в тег MP3, они будут записаны так:\r\n"
                                          "«Café ☃» → «Cafe ?»\r\nЗаписать тег?"));
    QCOMPARE(readBytes(path), sound);

    // Accepted: written as base files write them; the box keeps what was typed.
    m_session->answers.answer = MsgBox::Yes;
    ed()->Command5_Click();
    QCOMPARE(readBytes(path).mid(sound.size() + 33, 30), tagField(QStringLiteral("Cafe ?"), 30, ' '));
    QCOMPARE(readBytes(path).mid(sound.size() + 3, 30), tagField(QStringLiteral("Кафе"), 30, ' '));
    QCOMPARE(box(TrackRecord::Artist)->text(), QStringLiteral("Café ☃"));
}

QTEST_MAIN(tst_editormp3)
#include "tst_editormp3.moc"
