#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
class frmMain;
class modGlobalData;

// The dialog in which the user picks a base to delete. Its list holds the bases found at start-up, in
// the order of the bases menu; a base deleted since then reads "[ Удалено ]".
class frmKillBase : public QDialog
{
    Q_OBJECT

public:
    static const QString kDeleted;

    frmKillBase(modGlobalData &g, frmMain *main);

    QComboBox *Combo1 = nullptr;     // the base names, as in the bases menu
    QPushButton *Command1 = nullptr; // "Удалить"
    QPushButton *Command2 = nullptr; // "Отмена"

    // Deletes the base chosen in the list, after asking, and hides the dialog.
    void Command1_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    modGlobalData &g;
    frmMain *m_main;
};
