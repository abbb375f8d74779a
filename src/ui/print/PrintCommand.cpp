#include "PrintCommand.h"

#include "ListViewSource.h"
#include "PainterSurface.h"
#include "PrintServer.h"
#include "ReportPage.h"
#include "core/edit/EditorState.h"
#include "core/print/ListViewPrinter.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/ProgramPaths.h"
#include "frmPrinter.h"
#include "ui/platform/ListView.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/VisualStyle.h"
#include "ui/platform/moddialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QSaveFile>
#include <QTemporaryFile>

#include <stdexcept>

namespace {

const QString kDocumentName = QStringLiteral("Cratebook");

// The report's font: the list's. A font sized in pixels would print at the printer's pixels, a few
// hundredths of an inch high, so it is given in points as it shows on the screen.
QFont reportFont(const QWidget *list)
{
    QFont font = list->font();
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / list->logicalDpiY());
    return font;
}

// Qt's printer does not say when it could not write its file (a full disk): the document is whole only
// when it ends with its trailer and the cross-reference table is where the trailer says.
bool isWholeDocument(QFile &file)
{
    const qint64 size = file.size();
    const qint64 tailSize = qMin<qint64>(size, 64);
    if (!file.seek(size - tailSize))
        return false;
    const QByteArray tail = file.read(tailSize);
    const qsizetype start = tail.lastIndexOf("startxref");
    if (start < 0 || !tail.trimmed().endsWith("%%EOF"))
        return false;
    bool number = false;
    const qint64 table = tail.mid(start + 9).trimmed().split('\n').value(0).trimmed().toLongLong(&number);
    return number && table > 0 && file.seek(table) && file.read(4) == "xref";
}

} // namespace

PrintCommand::PrintCommand(const ProgramPaths &paths, const EditorState &editor, const ProgramOptions &options,
                           ListView *list, QWidget *owner)
    : QObject(owner), m_paths(paths), m_editor(editor), m_options(options), m_list(list), m_owner(owner)
{}

PrintCommand::~PrintCommand() = default;

bool PrintCommand::canStart()
{
    if (m_editor.iEditorOpen || !m_list)
        return false;
    if (m_list->count() == 0) {
        MsgBox::notice(m_owner, QStringLiteral("Нет треков для печати."), MsgBox::Information);
        return false;
    }
    return true;
}

void PrintCommand::fail()
{
    MsgBox::notice(m_owner, QStringLiteral("Принтер не поддерживает некоторые опции печати."), MsgBox::Critical);
}

void PrintCommand::print()
{
    if (!canStart())
        return;
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        MsgBox::notice(m_owner, QStringLiteral("Принтер не найден!"), MsgBox::Exclamation);
        return;
    }

    // The dialog lives outside the owner's children: it is put over the owner only while it is shown.
    if (!m_dialog)
        m_dialog.reset(new frmPrinter(m_options));
    m_dialog->clearCancel();
    Modal::show(m_dialog.get(), m_owner);
    if (m_dialog->cancelled())
        return;

    if (MsgBox::show(m_owner, QStringLiteral("На печать будет выведено содержимое текущего окна. Продолжить?"),
                     MsgBox::YesNo, MsgBox::Question, MsgBox::FirstButton, QString()) != MsgBox::Yes)
        return;

    if (printOn(m_dialog->chosenPrinter()) == Outcome::Failed)
        fail();
}

PrintCommand::Outcome PrintCommand::printOn(const QString &printerName)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setPrinterName(printerName);
    // QPrinter keeps its previous printer when it is given one that does not exist (any more).
    if (printerName.isEmpty() || !printer.isValid() || printer.printerName() != printerName)
        return Outcome::Failed;
    printer.setDocName(kDocumentName);
    printer.setCreator(kDocumentName);
    if (!printer.setPageSize(QPageSize(QPageSize::A4)) || !printer.setPageOrientation(QPageLayout::Landscape))
        return Outcome::Failed;

    // Qt's printer hands its job to the print server when its painter ends, whatever happened before: it
    // cannot take back a document it has begun. So the printer draws its job into a file of our own (a
    // name without ".pdf" keeps the printer's own engine, page and resolution: the file holds the very
    // document it would have sent), and only a job drawn to its end is handed over.
    // Without a file name (an unnamed temporary file that could not be given one), the printer would
    // go straight to the print server.
    QTemporaryFile spool(QDir::tempPath() + QStringLiteral("/cratebook-print-XXXXXX.job"));
    const QString spoolName = spool.open() ? spool.fileName() : QString();
    if (spoolName.isEmpty())
        return Outcome::Failed;
    printer.setOutputFileName(spoolName);
    if (printer.outputFileName() != spoolName || printer.outputFormat() != QPrinter::NativeFormat ||
        printer.printerName() != printerName)
        return Outcome::Failed;

    m_source = std::make_unique<ListViewSource>(m_list);
    m_report = std::make_unique<ListViewPrinter>();
    const int pages = ReportPage::pageCount(m_source->itemCount());

    std::unique_ptr<QProgressDialog> progress;
    if (pages >= kProgressPages) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Подготовка страниц к печати..."),
                                                     QStringLiteral("Отмена"), 0, pages, m_owner);
        progress->setObjectName(QStringLiteral("printProgress"));
        progress->setWindowTitle(QStringLiteral("Печать"));
        progress->setWindowModality(Qt::ApplicationModal);
        progress->setMinimumDuration(0);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
        VisualStyle::apply(progress.get(), m_options.classicStyle());
        progress->show();
        progress->setValue(0);
    }

    try {
        ReportPage::configure(*m_report, *m_source);
        if (!drawPages(printer, *m_report, progress.get()))
            return Outcome::Stopped;
    } catch (const std::exception &) {
        return Outcome::Failed;
    }
    if (!isWholeDocument(spool))
        return Outcome::Failed;
    if (progress) {
        // From here on the job is on its way to the printer, and cannot be stopped.
        progress->setLabelText(QStringLiteral("Отправка страниц на принтер..."));
        progress->setCancelButton(nullptr);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    QString why;
    if (!PrintServer::submit(printer, spoolName, &why)) {
        qWarning("The print server refused the job: %s", qPrintable(why));
        return Outcome::Failed;
    }
    return Outcome::Printed;
}

bool PrintCommand::drawPages(QPrinter &printer, ListViewPrinter &report, QProgressDialog *progress)
{
    const int pages = ReportPage::pageCount(m_source->itemCount());
    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error("the printer cannot be drawn on");
    painter.setFont(reportFont(m_list));
    PainterSurface surface(painter, true);
    int page = 0;
    while (!report.LastRowPrinted) {
        // A report that does not end where the list does would print on forever.
        if (page == pages)
            throw std::runtime_error("the report runs past its last page");
        ReportPage::draw(surface, report, ++page, pages);
        Q_EMIT pageDrawn(page, pages);
        if (progress) {
            progress->setValue(page);
            if (progress->wasCanceled())
                return false;
        }
        if (!report.LastRowPrinted && !printer.newPage())
            throw std::runtime_error("the printer refuses a new page");
    }
    report.LastRowPrinted = false;
    // The printer has an output file: ending its document writes the file and sends nothing.
    if (!painter.end())
        throw std::runtime_error("the printer does not end the document");
    return true;
}

void PrintCommand::preview()
{
    if (!canStart())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(kDocumentName);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);

    QPrintPreviewDialog dialog(&printer, m_owner);
    dialog.setObjectName(QStringLiteral("printPreview"));
    dialog.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    bool failed = false;
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, &failed](QPrinter *target) {
        try {
            const ListViewSource source(m_list);
            ReportPage::printDocument(source, *target, reportFont(m_list), true);
        } catch (const std::exception &) {
            failed = true;
        }
    });
    Modal::show(&dialog, m_owner);
    if (failed)
        fail();
}

void PrintCommand::savePdf()
{
    if (!canStart())
        return;
    const QString path = moddialog::ShowSave(m_owner, m_paths.sAppPath, QStringLiteral("Сохранить отчёт в PDF"),
                                             QStringLiteral("*.pdf"), QStringLiteral("pdf"), QString());
    if (path.isEmpty())
        return;
    if (!writePdf(path))
        MsgBox::notice(m_owner,
                       QStringLiteral("Не удалось сохранить отчёт в файл %1.").arg(QDir::toNativeSeparators(path)),
                       MsgBox::Critical);
}

bool PrintCommand::writePdf(const QString &path)
{
    // Written beside the target and renamed over it at the end, so a failure leaves no half a report
    // and an older file stays as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    try {
        QPdfWriter writer(&file);
        writer.setTitle(ReportPage::title());
        writer.setCreator(kDocumentName);
        writer.setResolution(1200);
        // The page frame is measured from the paper's corner.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
        const ListViewSource source(m_list);
        ReportPage::printDocument(source, writer, reportFont(m_list), true);
    } catch (const std::exception &) {
        file.cancelWriting();
        return false;
    }
    return file.flush() && file.commit();
}
