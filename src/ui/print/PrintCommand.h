#pragma once

#include <QObject>
#include <QString>

#include <memory>

class ListView;
class ListViewPrinter;
class ListViewSource;
class QPrinter;
class QProgressDialog;
class QWidget;
class frmPrinter;
class ProgramPaths;
struct EditorState;
struct ProgramOptions;

// The printing commands of the main window on its track list: print the list as a paged report on a
// printer the user picks, show a preview of that report, or save it as a PDF file. The main window
// creates one, owned by itself, and connects its menu items to the slots.
class PrintCommand : public QObject
{
    Q_OBJECT

public:
    // Jobs of this many pages or more show their progress in a window with a button that stops them.
    static constexpr int kProgressPages = 5;

    PrintCommand(const ProgramPaths &paths, const EditorState &editor, const ProgramOptions &options, ListView *list,
                 QWidget *owner);
    ~PrintCommand() override;

public Q_SLOTS:
    // "Распечатать...": asks for the printer and for a confirmation, then prints the list as shown.
    void print();
    // "Предварительный просмотр...": the same report in a preview window.
    void preview();
    // "Сохранить в PDF...": the same report into a PDF file the user names.
    void savePdf();

Q_SIGNALS:
    // A page of a print job has been drawn (1-based, of `pageCount`); each page is drawn once, and the
    // job reaches the printer only once every page is drawn.
    void pageDrawn(int page, int pageCount);

private:
    enum class Outcome { Printed, Stopped, Failed };

    // Nothing is printed while the editor is open or when the list is empty (which is then said).
    bool canStart();
    Outcome printOn(const QString &printerName);
    // Draws every page of `report` on `printer`, one at a time, and ends the printer's document; false
    // when the user stopped it. A failure is thrown (std::exception).
    bool drawPages(QPrinter &printer, ListViewPrinter &report, QProgressDialog *progress);
    bool writePdf(const QString &path);
    void fail();

    const ProgramPaths &m_paths;
    const EditorState &m_editor;
    const ProgramOptions &m_options;
    ListView *m_list;
    QWidget *m_owner;
    std::unique_ptr<frmPrinter> m_dialog;
    // The report of the last print job, kept until the next one replaces it.
    std::unique_ptr<ListViewSource> m_source;
    std::unique_ptr<ListViewPrinter> m_report;
};
