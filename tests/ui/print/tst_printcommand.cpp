// The print command against a print server of the test's own (two PDF queues writing into files), its
// preview and its PDF export. What was printed is read back with pdfinfo and pdftotext.

#include "core/modGlobalData.h"
#include "support/FaultShim.h"
#include "support/PrivateCups.h"
#include "ui/platform/ListView.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/VisualStyle.h"
#include "ui/platform/moddialog.h"
#include "ui/print/PrintCommand.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <functional>
#include <numeric>
#include <stdexcept>
#include <utility>

using TestSupport::PrivateCups;

namespace {

const QString kQuestion = QStringLiteral("На печать будет выведено содержимое текущего окна. Продолжить?");
const QString kNoTracks = QStringLiteral("Нет треков для печати.");
const QString kFailure = QStringLiteral("Принтер не поддерживает некоторые опции печати.");
const QString kFirst = QStringLiteral("Alpha");
const QString kSecond = QStringLiteral("Beta");

enum Command { Print, Preview, SavePdf };

QString artist(int row)
{
    return QStringLiteral("Artist %1").arg(row, 3, 10, QLatin1Char('0'));
}

FieldList rowTexts(int row)
{
    return FieldList::fromList({QStringLiteral("CD"), QString::number(row), artist(row), QStringLiteral("Title")});
}

void fill(ListView &list, int rows)
{
    list.addColumn(QStringLiteral("Media"), 60);
    list.addColumn(QStringLiteral("No"), 40, Qt::AlignRight);
    list.addColumn(QStringLiteral("Artist"), 160);
    list.addColumn(QStringLiteral("Title"), 200);
    for (int row = 1; row <= rows; ++row)
        list.addItem(rowTexts(row), row);
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// Checks a report of `rows` rows in the PDF at `path`: A4 landscape, 40 rows a page, each page with the
// title, its own rows and the footer.
void checkReport(const QString &path, int rows)
{
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const int pages = (rows + 39) / 40;
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+(841.89|842) x 595(.276)? pts"))),
             qPrintable(info));
    for (int page = 1; page <= pages; ++page) {
        const QString text =
            run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                                              QStringLiteral("-l"), QString::number(page), path, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("Spinhall Report")), qPrintable(text));
        // pdftotext shows a run of blanks as one: the footer's double blanks are checked on its images.
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("Page:\\s+%1\\s+of\\s+%2").arg(page).arg(pages))));
        const int first = (page - 1) * 40 + 1;
        const int last = qMin(page * 40, rows);
        QVERIFY2(text.contains(artist(first)) && text.contains(artist(last)), qPrintable(text));
        QVERIFY(!text.contains(artist(first - 1)) && !text.contains(artist(last + 1)));
    }
}

} // namespace

class tst_PrintCommand : public QObject
{
    Q_OBJECT

public:
    explicit tst_PrintCommand(PrivateCups &cups) : m_cups(cups) {}

private Q_SLOTS:
    void initTestCase();
    void init();
    void printerDialog();
    void printsOnChosenPrinter_data();
    void printsOnChosenPrinter();
    void printsNothing_data();
    void printsNothing();
    void stoppedOrFailedJobPrintsNothing();
    void failedJobFilePrintsNothing();
    void previewAndPdf();
    void noPrinter();

private:
    bool printedNothing()
    {
        return m_cups.waitForJobs() && QFileInfo(m_cups.outputPath(kFirst)).dir().isEmpty() && spoolFiles().isEmpty();
    }
    // A job is drawn into a file of its own before it is handed over; the file goes, whatever happens.
    static QStringList spoolFiles()
    {
        return QDir::temp().entryList({QStringLiteral("cratebook-print-*")}, QDir::Files | QDir::Hidden);
    }
    QStringList asked() const
    {
        QStringList texts;
        for (const MsgBox::Request &request : m_asked)
            texts.append(request.text + QLatin1Char('|') + QString::number(request.icon) + request.title);
        return texts;
    }

    PrivateCups &m_cups;
    modGlobalData g;
    QWidget m_owner;
    QList<MsgBox::Request> m_asked;
    MsgBox::Result m_answer = MsgBox::Yes;
    std::function<void(QDialog *)> m_drive;
    QList<QDialog *> m_shown;
    QList<moddialog::Request> m_files;
    QString m_fileAnswer;
};

void tst_PrintCommand::initTestCase()
{
    if (!m_cups.start())
        QSKIP(qPrintable("no print server of the test's own: " + m_cups.error()));
    // The default printer is the second one: the dialog must still select the first.
    QVERIFY2(m_cups.addQueue(kSecond) && m_cups.addQueue(kFirst) && m_cups.setDefault(kSecond),
             qPrintable(m_cups.error()));
    MsgBox::setAnswerer([this](const MsgBox::Request &request) {
        m_asked.append(request);
        return request.buttons == MsgBox::YesNo ? m_answer : MsgBox::Ok;
    });
    Modal::setDriver([this](QDialog *dialog) {
        m_shown.append(dialog);
        m_drive(dialog);
        if (dialog->isVisible())
            dialog->done(QDialog::Rejected);
    });
    moddialog::setAnswerer([this](const moddialog::Request &request) {
        m_files.append(request);
        return m_fileAnswer;
    });
}

void tst_PrintCommand::init()
{
    QVERIFY(m_cups.waitForJobs());
    m_cups.clearOutput();
    m_asked.clear();
    m_shown.clear();
    m_files.clear();
    m_answer = MsgBox::Yes;
    m_fileAnswer.clear();
    g.editor.iEditorOpen = false;
    m_drive = [](QDialog *dialog) { dialog->findChild<QPushButton *>(QStringLiteral("Command1"))->click(); };
}

void tst_PrintCommand::printerDialog()
{
    g.options.iDisableXP = 1;
    ListView list;
    fill(list, 3);
    PrintCommand command(g.paths, g.editor, g.options, &list, &m_owner);
    QStringList lines;
    int selected = -1;
    m_drive = [&](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Выбор принтера для печати"));
        QVERIFY(VisualStyle::isClassic(dialog));
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("cmbPrinters"));
        for (int i = 0; i < printers->count(); ++i)
            lines.append(printers->itemText(i));
        selected = printers->currentIndex();
        // The label shows all of "Принтер:", left of the list, and the list fits in the dialog.
        auto *label = dialog->findChild<QLabel *>(QStringLiteral("Label1"));
        QVERIFY(label->width() >= label->sizeHint().width());
        QVERIFY(label->geometry().right() < printers->x());
        QVERIFY(dialog->rect().contains(printers->geometry()));
        printers->setCurrentIndex(1);
        dialog->findChild<QPushButton *>(QStringLiteral("Command2"))->click();
    };
    command.print();
    QCOMPARE(lines, QStringList({kFirst, kSecond}));
    QCOMPARE(QPrinterInfo::defaultPrinterName(), kSecond);
    QCOMPARE(selected, 0);
    // "Отмена": no question, nothing printed.
    QVERIFY(m_asked.isEmpty());
    QVERIFY(printedNothing());

    // Shown again, the dialog has the first printer selected; closing it from its frame confirms.
    m_drive = [&](QDialog *dialog) {
        selected = dialog->findChild<QComboBox *>(QStringLiteral("cmbPrinters"))->currentIndex();
        dialog->close();
    };
    m_answer = MsgBox::No;
    command.print();
    QCOMPARE(m_shown.size(), 2);
    QCOMPARE(m_shown.at(1), m_shown.at(0));
    QCOMPARE(selected, 0);
    QCOMPARE(asked(), QStringList{kQuestion + "|2"});
    g.options.iDisableXP = 0;
}

void tst_PrintCommand::printsOnChosenPrinter_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("line");
    QTest::newRow("40 rows on the first printer: one page") << 40 << 0;
    QTest::newRow("41 rows on the second printer: two pages") << 41 << 1;
    QTest::newRow("3 rows of a search") << 3 << 0;
}

void tst_PrintCommand::printsOnChosenPrinter()
{
    QFETCH(int, rows);
    QFETCH(int, line);
    const QString chosen = line == 0 ? kFirst : kSecond;
    const QString other = line == 0 ? kSecond : kFirst;
    const int jobs = m_cups.completedJobs(chosen);
    // The rows are read from a source that counts the reads.
    ListView list;
    fill(list, 0);
    int reads = 0;
    std::vector<int> tags(rows);
    std::iota(tags.begin(), tags.end(), 1);
    list.setSourceRows(
        [&](int tag) -> FieldList {
            ++reads;
            return rowTexts(tag);
        },
        tags);
    PrintCommand command(g.paths, g.editor, g.options, &list, &m_owner);
    m_drive = [line](QDialog *dialog) {
        dialog->findChild<QComboBox *>(QStringLiteral("cmbPrinters"))->setCurrentIndex(line);
        dialog->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    };
    QList<int> drawn;
    connect(&command, &PrintCommand::pageDrawn, this, [&drawn](int page) { drawn.append(page); });
    // Reads are counted from the confirmation on: the list reads a row of its own while the dialog shows.
    const MsgBox::Answerer answerer = MsgBox::setAnswerer(nullptr);
    MsgBox::setAnswerer([&](const MsgBox::Request &request) {
        reads = 0;
        return answerer(request);
    });
    command.print();
    MsgBox::setAnswerer(answerer);
    const int printReads = std::exchange(reads, 0);

    // Each page is drawn once: the job reads the rows as often as the same report saved as a PDF does.
    QList<int> pages((rows + 39) / 40);
    std::iota(pages.begin(), pages.end(), 1);
    QCOMPARE(drawn, pages);
    QTemporaryDir folder;
    m_fileAnswer = folder.filePath(QStringLiteral("report.pdf"));
    command.savePdf();
    QVERIFY(reads > 0);
    QCOMPARE(printReads, reads);
    QCOMPARE(spoolFiles(), QStringList());
    QCOMPARE(asked(), QStringList{kQuestion + "|2"});
    QCOMPARE(m_asked.at(0).buttons, MsgBox::YesNo);
    QVERIFY2(m_cups.waitForJobs(), qPrintable(m_cups.error()));
    QVERIFY2(QFile::exists(m_cups.outputPath(chosen)), qPrintable(m_cups.log()));
    QVERIFY(!QFile::exists(m_cups.outputPath(other)));
    QCOMPARE(m_cups.completedJobs(chosen), jobs + 1);
    checkReport(m_cups.outputPath(chosen), rows);
}

void tst_PrintCommand::printsNothing_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("editorOpen");
    QTest::addColumn<QString>("button"); // pressed in the printer dialog
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("messages");

    const QString ok = QStringLiteral("Command1");
    const QStringList none;
    const QStringList noTracks{kNoTracks + "|4"};
    QTest::newRow("Отмена") << int(Print) << 3 << false << QStringLiteral("Command2") << 6 << none;
    QTest::newRow("No to the question") << int(Print) << 3 << false << ok << 7 << QStringList{kQuestion + "|2"};
    QTest::newRow("print, editor open") << int(Print) << 3 << true << ok << 6 << none;
    QTest::newRow("preview, editor open") << int(Preview) << 3 << true << ok << 6 << none;
    QTest::newRow("PDF, editor open") << int(SavePdf) << 3 << true << ok << 6 << none;
    QTest::newRow("print, empty list") << int(Print) << 0 << false << ok << 6 << noTracks;
    QTest::newRow("preview, empty list") << int(Preview) << 0 << false << ok << 6 << noTracks;
    QTest::newRow("PDF, empty list") << int(SavePdf) << 0 << false << ok << 6 << noTracks;
}

void tst_PrintCommand::printsNothing()
{
    QFETCH(int, command);
    QFETCH(int, rows);
    QFETCH(bool, editorOpen);
    QFETCH(QString, button);
    QFETCH(int, answer);
    QFETCH(QStringList, messages);
    ListView list;
    fill(list, rows);
    PrintCommand print(g.paths, g.editor, g.options, &list, &m_owner);
    g.editor.iEditorOpen = editorOpen;
    m_answer = MsgBox::Result(answer);
    m_drive = [button](QDialog *dialog) { dialog->findChild<QPushButton *>(button)->click(); };
    const std::function<void()> commands[] = {[&] { print.print(); }, [&] { print.preview(); },
                                              [&] { print.savePdf(); }};
    commands[command]();

    QCOMPARE(asked(), messages);
    QCOMPARE(m_shown.size(), command == Print && !editorOpen && rows > 0 ? 1 : 0);
    QVERIFY(m_files.isEmpty());
    QVERIFY(printedNothing());
}

void tst_PrintCommand::stoppedOrFailedJobPrintsNothing()
{
    // Six pages: the job shows its progress, one step a page, and "Отмена" there stops it, after the
    // second page or after the last one, until the job is handed over.
    ListView list;
    fill(list, 201);
    for (const int stopAt : {2, 6}) {
        PrintCommand command(g.paths, g.editor, g.options, &list, &m_owner);
        int lastPage = 0;
        connect(&command, &PrintCommand::pageDrawn, this, [&](int page) {
            lastPage = page;
            auto *progress = m_owner.findChild<QProgressDialog *>(QStringLiteral("printProgress"));
            QVERIFY(progress && progress->isVisible());
            QCOMPARE(progress->labelText(), QStringLiteral("Подготовка страниц к печати..."));
            QCOMPARE(progress->maximum(), 6);
            if (page == stopAt)
                progress->cancel();
        });
        m_asked.clear();
        command.print();
        QCOMPARE(lastPage, stopAt);
        QCOMPARE(asked(), QStringList{kQuestion + "|2"});
        QVERIFY(printedNothing());
    }

    // The second page cannot read its rows: the job fails there, and its first page stays away too.
    ListView failing;
    fill(failing, 0);
    std::vector<int> tags(50);
    std::iota(tags.begin(), tags.end(), 1);
    failing.setSourceRows(
        [](int tag) -> FieldList {
            if (tag == 45)
                throw std::runtime_error("no such record");
            return rowTexts(tag);
        },
        tags);
    PrintCommand failingCommand(g.paths, g.editor, g.options, &failing, &m_owner);
    m_asked.clear();
    failingCommand.print();
    QCOMPARE(asked(), QStringList({kQuestion + "|2", kFailure + "|1"}));
    QVERIFY(printedNothing());

    // The print server refuses the job: a queue that rejects jobs.
    QVERIFY2(m_cups.setAccepting(kFirst, false), qPrintable(m_cups.error()));
    const auto accept = qScopeGuard([this] { m_cups.setAccepting(kFirst, true); });
    ListView three;
    fill(three, 3);
    PrintCommand refused(g.paths, g.editor, g.options, &three, &m_owner);
    m_asked.clear();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^The print server refused the job: .+")));
    refused.print();
    QCOMPARE(asked(), QStringList({kQuestion + "|2", kFailure + "|1"}));
    QVERIFY(printedNothing());
}

void tst_PrintCommand::failedJobFilePrintsNothing()
{
    // A job is drawn into a file in the temporary folder before it is handed over (six pages: more than
    // one write), and the printer's description is read from there too. Each operation in that folder
    // fails in turn, once and from then on (as on a full disk): the job is printed whole, or nothing is
    // printed and the user is told.
    ListView list;
    fill(list, 201);
    PrintCommand command(g.paths, g.editor, g.options, &list, &m_owner);
    const QString folder = QDir::tempPath();
    FaultShim::arm(folder, 0, FaultShim::Mode::Once);
    command.print();
    const int operations = FaultShim::operations();
    FaultShim::disarm();
    QVERIFY(operations >= 5);
    QVERIFY(m_cups.waitForJobs());
    checkReport(m_cups.outputPath(kFirst), 201);

    for (const FaultShim::Mode mode : {FaultShim::Mode::Once, FaultShim::Mode::FromThenOn}) {
        for (int n = 1; n <= operations; ++n) {
            m_cups.clearOutput();
            m_asked.clear();
            FaultShim::arm(folder, n, mode);
            command.print();
            FaultShim::disarm();
            const QString what = QStringLiteral("%1 %2 (%3)")
                                     .arg(mode == FaultShim::Mode::Once ? "once at" : "from")
                                     .arg(n)
                                     .arg(FaultShim::operationName(n));
            // From then on, a removal still works (it frees room).
            QVERIFY2(FaultShim::failed() || mode == FaultShim::Mode::FromThenOn, qPrintable(what));
            QVERIFY(m_cups.waitForJobs());
            if (QFile::exists(m_cups.outputPath(kFirst))) {
                QVERIFY2(asked() == QStringList{kQuestion + "|2"}, qPrintable(what));
                checkReport(m_cups.outputPath(kFirst), 201);
            } else {
                QVERIFY2(asked() == QStringList({kQuestion + "|2", kFailure + "|1"}), qPrintable(what));
            }
            // Only a removal that fails itself leaves the file.
            const QStringList left = spoolFiles();
            for (const QString &file : left)
                QDir::temp().remove(file);
            QVERIFY2(left.isEmpty() || FaultShim::operationName(n) == QLatin1String("unlink"), qPrintable(what));
        }
    }
}

void tst_PrintCommand::previewAndPdf()
{
    QTemporaryDir folder;
    ListView list;
    fill(list, 41);
    PrintCommand command(g.paths, g.editor, g.options, &list, &m_owner);
    int pages = 0;
    m_drive = [&](QDialog *dialog) {
        QVERIFY(qobject_cast<QPrintPreviewDialog *>(dialog));
        auto *view = dialog->findChild<QPrintPreviewWidget *>();
        pages = view->pageCount();
        QCOMPARE(view->orientation(), QPageLayout::Landscape);
        dialog->reject();
    };
    command.preview();
    QCOMPARE(pages, 2);

    command.savePdf(); // cancelled
    QCOMPARE(m_files.size(), 1);
    QCOMPARE(m_files.at(0).title, QStringLiteral("Сохранить отчёт в PDF"));
    QCOMPARE(m_files.at(0).filter, QStringLiteral("*.pdf"));
    QVERIFY(QDir(folder.path()).isEmpty());

    m_fileAnswer = folder.filePath(QStringLiteral("report.pdf"));
    command.savePdf();
    checkReport(m_fileAnswer, 41);

    // A file that cannot be written is named in the message.
    m_fileAnswer = folder.filePath(QStringLiteral("missing/report.pdf"));
    command.savePdf();
    QCOMPARE(m_asked.size(), 1);
    QVERIFY2(m_asked.at(0).text.contains(m_fileAnswer), qPrintable(m_asked.at(0).text));
    QCOMPARE(m_asked.at(0).icon, MsgBox::Critical);
    QCOMPARE(m_shown.size(), 1);
    QVERIFY(printedNothing());
}

void tst_PrintCommand::noPrinter()
{
    QVERIFY(m_cups.removeQueue(kFirst) && m_cups.removeQueue(kSecond));
    ListView list;
    fill(list, 3);
    PrintCommand command(g.paths, g.editor, g.options, &list, &m_owner);
    command.print();
    QCOMPARE(asked(), QStringList{QStringLiteral("Принтер не найден!|3")});
    QVERIFY(m_shown.isEmpty());
}

int main(int argc, char *argv[])
{
    // Before the application: libcups takes the server's address from the environment once.
    PrivateCups cups;
    QApplication app(argc, argv);
    tst_PrintCommand test(cups);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printcommand.moc"
