#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
struct ProgramOptions;

// The dialog in which the user picks the printer for a print job. It lists the installed printers in
// the platform's order with the first one selected (not the system's default). "OK" makes the selected
// printer the chosen one; "Отмена" sets the cancel flag; closing the dialog any other way counts as OK.
// The print command keeps one and only hides it between uses; the list is filled anew each time it opens.
class frmPrinter : public QDialog
{
    Q_OBJECT

public:
    explicit frmPrinter(const ProgramOptions &options, QWidget *parent = nullptr);

    // The cancel flag: cleared by the print command before the dialog opens, set by "Отмена".
    bool cancelled() const { return m_cancel; }
    void clearCancel() { m_cancel = false; }
    // The printer chosen by "OK" (or by closing the dialog): the name of an installed printer, empty
    // while none was chosen.
    QString chosenPrinter() const { return m_chosen; }

    // Fills the list with the installed printers and selects the first.
    void fillPrinters();

    // Closing with Esc or the window's frame confirms, as "OK" does.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Command1_Click();
    void Command2_Click();

    QLabel *Label1 = nullptr;
    QComboBox *cmbPrinters = nullptr;
    QPushButton *Command1 = nullptr; // "OK"
    QPushButton *Command2 = nullptr; // "Отмена"
    bool m_cancel = false;
    QString m_chosen;
};
