// The print command against a print server of the test's own (two PDF queues writing into files), and
// its preview and PDF export. What was printed is read back with pdfinfo and pdftotext.

#include "core/modGlobalData.h"
#include "support/PrivateCups.h"
#include "ui/platform/ListView.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/Twips.h"
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
#include <stdexcept>

using TestSupport::PrivateCups;

namespace {

const QString kQuestion = QStringLiteral("На печать будет выведено содержимое текущего окна. Продолжить?");
const QString kNoTracks = QStringLiteral("Нет треков для печати.");
const QString kNoPrinter = QStringLiteral("Принтер не найден!");
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
    return FieldList::fromList(
        {QStringLiteral("CD"), QString::number(row), artist(row), QStringLiteral("Title %1").arg(row)});
}

void addColumns(ListView &list)
{
    list.addColumn(QStringLiteral("Media"), 60);
    list.addColumn(QStringLiteral("No"), 40, Qt::AlignRight);
    list.addColumn(QStringLiteral("Artist"), 160);
    list.addColumn(QStringLiteral("Title"), 200);
}

// What a PDF holds: its page count, its first page's size in points and the text of each page.
struct Pdf
{
    int pages = 0;
    QSizeF size;
    QStringList text;
};

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

Pdf readPdf(const QString &path)
{
    Pdf pdf;
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    pdf.pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
    pdf.size = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    for (int page = 1; page <= pdf.pages; ++page) {
        const QString number = QString::number(page);
        pdf.text.append(run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), number,
                                                          QStringLiteral("-l"), number, path, QStringLiteral("-")}));
    }
    return pdf;
}

// The blanks between the words of the footer "Page:  n of  m" of `page`, in widths of the blank between
// n and "of": the numbers are written with a leading blank, so the first and last are 2.
QList<double> footerBlanks(const QString &path, int page)
{
    const QString number = QString::number(page);
    const QString boxes = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), number,
                                                            QStringLiteral("-l"), number, path, QStringLiteral("-")});
    const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"[\\d.]+\" xMax=\"([\\d.]+)\"[^>]*>([^<]*)</word>"));
    QList<QPair<double, double>> footer;
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const auto match = it.next();
        if (match.captured(3) == QLatin1String("Page:") || (!footer.isEmpty() && footer.size() < 4))
            footer.append({match.captured(1).toDouble(), match.captured(2).toDouble()});
    }
    if (footer.size() != 4)
        return {};
    const double blank = footer.at(2).first - footer.at(1).second;
    return {(footer.at(1).first - footer.at(0).second) / blank, 1.0,
            (footer.at(3).first - footer.at(2).second) / blank};
}

// A4 landscape, in points.
bool isA4Landscape(const QSizeF &size)
{
    return qAbs(size.width() - 841.89) < 1 && qAbs(size.height() - 595.28) < 1;
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
    void cleanupTestCase();

    void printerDialog();
    void printsOnChosenPrinter_data();
    void printsOnChosenPrinter();
    void printsNothing_data();
    void printsNothing();
    void stoppedJobPrintsNothing();
    void failedJobPrintsNothing();
    void preview();
    void savePdf();
    void noPrinter();

private:
    // Picks line `line` of the printer dialog and presses "OK".
    void choosePrinter(int line)
    {
        m_drive = [line](QDialog *dialog) {
            dialog->findChild<QComboBox *>(QStringLiteral("cmbPrinters"))->setCurrentIndex(line);
            dialog->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        };
    }
    bool printed(const QString &queue) const { return QFileInfo(m_cups.outputPath(queue)).size() > 0; }
    QStringList askedTexts() const
    {
        QStringList texts;
        for (const MsgBox::Request &request : m_asked)
            texts.append(request.text);
        return texts;
    }
    void fill(ListView &list, int rows)
    {
        addColumns(list);
        for (int row = 1; row <= rows; ++row)
            list.addItem(rowTexts(row), row);
    }

    PrivateCups &m_cups;
    modGlobalData g;
    QWidget m_owner;
    QList<MsgBox::Request> m_asked;
    MsgBox::Result m_answer = MsgBox::Yes;
    std::function<void(QDialog *)> m_drive;
    QList<QDialog *> m_shown;
    QList<moddialog::Request> m_fileRequests;
    QString m_fileAnswer;
};

void tst_PrintCommand::initTestCase()
{
    if (!m_cups.start())
        QSKIP(qPrintable(QStringLiteral("no print server of the test's own: ") + m_cups.error()));
    QVERIFY2(m_cups.addQueue(kSecond) && m_cups.addQueue(kFirst), qPrintable(m_cups.error()));
    // The default printer is the second one: the dialog must still select the first.
    QVERIFY2(m_cups.setDefault(kSecond), qPrintable(m_cups.error()));

    MsgBox::setAnswerer([this](const MsgBox::Request &request) {
        m_asked.append(request);
        return request.buttons == MsgBox::YesNo ? m_answer : MsgBox::Ok;
    });
    Modal::setDriver([this](QDialog *dialog) {
        m_shown.append(dialog);
        if (m_drive)
            m_drive(dialog);
        if (dialog->isVisible())
            dialog->done(QDialog::Rejected);
    });
    moddialog::setAnswerer([this](const moddialog::Request &request) {
        m_fileRequests.append(request);
        return m_fileAnswer;
    });
}

void tst_PrintCommand::init()
{
    QVERIFY(m_cups.waitForJobs());
    m_cups.clearOutput();
    m_asked.clear();
    m_shown.clear();
    m_fileRequests.clear();
    m_answer = MsgBox::Yes;
    g.iEditorOpen = false;
    g.iDisableXP = 0;
    choosePrinter(0);
}

void tst_PrintCommand::cleanupTestCase()
{
    MsgBox::setAnswerer(nullptr);
    Modal::setDriver(nullptr);
    moddialog::setAnswerer(nullptr);
}

void tst_PrintCommand::printerDialog()
{
    g.iDisableXP = 1;
    ListView list;
    fill(list, 3);
    PrintCommand command(g, &list, &m_owner);
    QStringList lines;
    int selected = -1;
    m_drive = [&](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Выбор принтера для печати"));
        QCOMPARE(dialog->size(), QSize(Twips::toPixelsX(4455), Twips::toPixelsY(1065)));
        QVERIFY(VisualStyle::isClassic(dialog));
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("Принтер:"));
        auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("Command1"));
        auto *cancel = dialog->findChild<QPushButton *>(QStringLiteral("Command2"));
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(ok->geometry(), Twips::toPixels(2160, 600, 975, 375));
        QCOMPARE(cancel->text(), QStringLiteral("Отмена"));
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("cmbPrinters"));
        for (int i = 0; i < printers->count(); ++i)
            lines.append(printers->itemText(i));
        selected = printers->currentIndex();
        cancel->click();
    };
    command.print();

    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(lines, QStringList({kFirst, kSecond}));
    QCOMPARE(lines, QPrinterInfo::availablePrinterNames());
    QCOMPARE(QPrinterInfo::defaultPrinterName(), kSecond);
    QCOMPARE(selected, 0);
    // "Отмена": no question, nothing printed.
    QVERIFY(m_asked.isEmpty());
    QVERIFY(m_cups.waitForJobs());
    QVERIFY(!printed(kFirst) && !printed(kSecond));

    // The same dialog comes back with the first printer selected again; closing it from its frame
    // confirms, as "OK" does.
    m_drive = [&](QDialog *dialog) {
        selected = dialog->findChild<QComboBox *>(QStringLiteral("cmbPrinters"))->currentIndex();
        dialog->close();
    };
    m_answer = MsgBox::No;
    command.print();
    QCOMPARE(m_shown.size(), 2);
    QCOMPARE(m_shown.at(1), m_shown.at(0));
    QCOMPARE(selected, 0);
    QCOMPARE(askedTexts(), QStringList{kQuestion});
}

void tst_PrintCommand::printsOnChosenPrinter_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("pages");

    QTest::newRow("40 rows on the first printer: one page") << 40 << 0 << 1;
    QTest::newRow("41 rows on the second printer: two pages") << 41 << 1 << 2;
    QTest::newRow("3 rows of a search: one page") << 3 << 0 << 1;
}

void tst_PrintCommand::printsOnChosenPrinter()
{
    QFETCH(int, rows);
    QFETCH(int, line);
    QFETCH(int, pages);
    const QString chosen = line == 0 ? kFirst : kSecond;
    const QString other = line == 0 ? kSecond : kFirst;
    const int jobsBefore = m_cups.completedJobs(chosen);

    ListView list;
    fill(list, rows);
    PrintCommand command(g, &list, &m_owner);
    choosePrinter(line);
    command.print();

    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(askedTexts(), QStringList{kQuestion});
    QCOMPARE(m_asked.at(0).buttons, MsgBox::YesNo);
    QCOMPARE(m_asked.at(0).icon, MsgBox::Question);
    QCOMPARE(m_asked.at(0).title, QString());
    QVERIFY2(m_cups.waitForJobs(), qPrintable(m_cups.error()));
    QVERIFY2(printed(chosen), qPrintable(m_cups.log()));
    QVERIFY(!printed(other));
    QCOMPARE(m_cups.completedJobs(chosen), jobsBefore + 1);

    const Pdf pdf = readPdf(m_cups.outputPath(chosen));
    QCOMPARE(pdf.pages, pages);
    QVERIFY2(isA4Landscape(pdf.size),
             qPrintable(QStringLiteral("%1 x %2").arg(pdf.size.width()).arg(pdf.size.height())));
    for (int page = 1; page <= pages; ++page) {
        const QString text = pdf.text.at(page - 1);
        QVERIFY2(text.contains(QStringLiteral("Spinhall Report")), qPrintable(text));
        const QRegularExpression footer(QStringLiteral("Page:\\s+%1\\s+of\\s+%2").arg(page).arg(pages));
        QVERIFY2(text.contains(footer), qPrintable(text));
        const QList<double> blanks = footerBlanks(m_cups.outputPath(chosen), page);
        QCOMPARE(blanks.size(), 3);
        QVERIFY2(qAbs(blanks.at(0) - 2) < 0.3 && qAbs(blanks.at(2) - 2) < 0.3,
                 qPrintable(QStringLiteral("%1 %2").arg(blanks.at(0)).arg(blanks.at(2))));
        QVERIFY(text.contains(QStringLiteral("Artist")));
        // Each page holds its own 40 rows and no others.
        const int first = (page - 1) * 40 + 1;
        const int last = qMin(page * 40, rows);
        QVERIFY2(text.contains(artist(first)) && text.contains(artist(last)), qPrintable(text));
        QVERIFY(!text.contains(artist(first - 1)) && !text.contains(artist(last + 1)));
    }
}

void tst_PrintCommand::printsNothing_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("editorOpen");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("Отмена in the printer dialog")
        << int(Print) << 3 << false << true << int(MsgBox::Yes) << 1 << QStringList();
    QTest::newRow("No to the question") << int(Print) << 3 << false << false << int(MsgBox::No) << 1
                                        << QStringList{kQuestion};
    QTest::newRow("print with the editor open")
        << int(Print) << 3 << true << false << int(MsgBox::Yes) << 0 << QStringList();
    QTest::newRow("preview with the editor open")
        << int(Preview) << 3 << true << false << int(MsgBox::Yes) << 0 << QStringList();
    QTest::newRow("PDF with the editor open")
        << int(SavePdf) << 3 << true << false << int(MsgBox::Yes) << 0 << QStringList();
    QTest::newRow("print an empty list") << int(Print) << 0 << false << false << int(MsgBox::Yes) << 0
                                         << QStringList{kNoTracks};
    QTest::newRow("preview an empty list")
        << int(Preview) << 0 << false << false << int(MsgBox::Yes) << 0 << QStringList{kNoTracks};
    QTest::newRow("PDF of an empty list")
        << int(SavePdf) << 0 << false << false << int(MsgBox::Yes) << 0 << QStringList{kNoTracks};
}

void tst_PrintCommand::printsNothing()
{
    QFETCH(int, command);
    QFETCH(int, rows);
    QFETCH(bool, editorOpen);
    QFETCH(bool, cancel);
    QFETCH(int, answer);
    QFETCH(int, dialogs);
    QFETCH(QStringList, messages);

    ListView list;
    fill(list, rows);
    PrintCommand printCommand(g, &list, &m_owner);
    g.iEditorOpen = editorOpen;
    m_answer = MsgBox::Result(answer);
    m_fileAnswer = QDir::temp().filePath(QStringLiteral("never-written.pdf"));
    if (cancel) {
        m_drive = [](QDialog *dialog) { dialog->findChild<QPushButton *>(QStringLiteral("Command2"))->click(); };
    }
    switch (Command(command)) {
    case Print:
        printCommand.print();
        break;
    case Preview:
        printCommand.preview();
        break;
    case SavePdf:
        printCommand.savePdf();
        break;
    }

    QCOMPARE(m_shown.size(), dialogs);
    QCOMPARE(askedTexts(), messages);
    for (const MsgBox::Request &request : m_asked)
        QCOMPARE(request.title, QString());
    if (!messages.isEmpty() && messages.first() == kNoTracks)
        QCOMPARE(m_asked.first().icon, MsgBox::Information);
    QVERIFY(m_fileRequests.isEmpty());
    QVERIFY(!QFileInfo::exists(m_fileAnswer));
    QVERIFY(m_cups.waitForJobs());
    QVERIFY(!printed(kFirst) && !printed(kSecond));
}

void tst_PrintCommand::stoppedJobPrintsNothing()
{
    ListView list;
    fill(list, 201); // six pages
    PrintCommand command(g, &list, &m_owner);
    int lastPage = 0;
    connect(&command, &PrintCommand::pageDrawn, this, [&](int page, int pageCount) {
        QCOMPARE(pageCount, 6);
        lastPage = page;
        auto *progress = m_owner.findChild<QProgressDialog *>(QStringLiteral("printProgress"));
        QVERIFY(progress && progress->isVisible());
        if (page == 2)
            progress->cancel();
    });
    command.print();

    QCOMPARE(lastPage, 2);
    QCOMPARE(askedTexts(), QStringList{kQuestion});
    QVERIFY(m_cups.waitForJobs());
    QVERIFY(!printed(kFirst) && !printed(kSecond));
}

void tst_PrintCommand::failedJobPrintsNothing()
{
    // The second page cannot read its rows: the job fails there, and its first page must not reach the
    // printer either.
    ListView list;
    addColumns(list);
    FieldList texts;
    std::vector<int> tags;
    for (int row = 1; row <= 50; ++row)
        tags.push_back(row);
    list.setSourceRows(
        [&texts](int tag) -> const FieldList & {
            if (tag == 45)
                throw std::runtime_error("no such record");
            texts = rowTexts(tag);
            return texts;
        },
        tags);
    PrintCommand command(g, &list, &m_owner);
    command.print();

    QCOMPARE(askedTexts(), QStringList({kQuestion, kFailure}));
    QCOMPARE(m_asked.at(1).icon, MsgBox::Critical);
    QCOMPARE(m_asked.at(1).title, QString());
    QVERIFY(m_cups.waitForJobs());
    QVERIFY(!printed(kFirst) && !printed(kSecond));
}

void tst_PrintCommand::preview()
{
    ListView list;
    fill(list, 41);
    PrintCommand command(g, &list, &m_owner);
    int pages = 0;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    m_drive = [&](QDialog *dialog) {
        QVERIFY(qobject_cast<QPrintPreviewDialog *>(dialog));
        auto *view = dialog->findChild<QPrintPreviewWidget *>();
        QVERIFY(view);
        pages = view->pageCount();
        orientation = view->orientation();
        dialog->reject();
    };
    command.preview();

    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(pages, 2);
    QCOMPARE(orientation, QPageLayout::Landscape);
    QVERIFY(m_asked.isEmpty());
    QVERIFY(m_cups.waitForJobs());
    QVERIFY(!printed(kFirst) && !printed(kSecond));
}

void tst_PrintCommand::savePdf()
{
    QTemporaryDir folder;
    ListView list;
    fill(list, 41);
    PrintCommand command(g, &list, &m_owner);

    // Cancelled: nothing.
    m_fileAnswer.clear();
    command.savePdf();
    QCOMPARE(m_fileRequests.size(), 1);
    QVERIFY(m_fileRequests.at(0).save);
    QCOMPARE(m_fileRequests.at(0).title, QStringLiteral("Сохранить отчёт в PDF"));
    QCOMPARE(m_fileRequests.at(0).filter, QStringLiteral("*.pdf"));
    QCOMPARE(m_fileRequests.at(0).defaultExtension, QStringLiteral("pdf"));
    QVERIFY(m_asked.isEmpty());
    QVERIFY(QDir(folder.path()).isEmpty());

    m_fileAnswer = folder.filePath(QStringLiteral("report.pdf"));
    command.savePdf();
    QVERIFY(m_asked.isEmpty());
    const Pdf pdf = readPdf(m_fileAnswer);
    QCOMPARE(pdf.pages, 2);
    QVERIFY(isA4Landscape(pdf.size));
    QVERIFY2(pdf.text.at(0).contains(QStringLiteral("Spinhall Report")), qPrintable(pdf.text.at(0)));
    QVERIFY(pdf.text.at(0).contains(QRegularExpression(QStringLiteral("Page:\\s+1\\s+of\\s+2"))));
    QVERIFY(pdf.text.at(0).contains(artist(40)) && !pdf.text.at(0).contains(artist(41)));
    QVERIFY(pdf.text.at(1).contains(QRegularExpression(QStringLiteral("Page:\\s+2\\s+of\\s+2"))));
    QVERIFY(pdf.text.at(1).contains(artist(41)));
    // The PDF goes to the file only: no printer is asked.
    QVERIFY(m_shown.isEmpty());
    QVERIFY(!printed(kFirst) && !printed(kSecond));

    // A file that cannot be written is named in the message; nothing is left behind.
    m_fileAnswer = folder.filePath(QStringLiteral("missing/report.pdf"));
    command.savePdf();
    QCOMPARE(m_asked.size(), 1);
    QVERIFY2(m_asked.at(0).text.contains(QDir::toNativeSeparators(m_fileAnswer)), qPrintable(m_asked.at(0).text));
    QCOMPARE(m_asked.at(0).icon, MsgBox::Critical);
    QVERIFY(!QFileInfo::exists(m_fileAnswer));
}

void tst_PrintCommand::noPrinter()
{
    QVERIFY(m_cups.removeQueue(kFirst) && m_cups.removeQueue(kSecond));
    QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());
    ListView list;
    fill(list, 3);
    PrintCommand command(g, &list, &m_owner);
    command.print();

    QCOMPARE(askedTexts(), QStringList{kNoPrinter});
    QCOMPARE(m_asked.at(0).icon, MsgBox::Exclamation);
    QCOMPARE(m_asked.at(0).title, QString());
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
