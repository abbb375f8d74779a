#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
struct ProgramOptions;

// The dialog in which the user picks a base to delete. Its list holds the bases found at start-up, in
// the order of the bases menu; a base deleted since then reads "[ Удалено ]".
class frmKillBase : public QDialog
{
    Q_OBJECT

public:
    static const QString kDeleted;

    frmKillBase(const ProgramOptions &options, QWidget *parent);

    QComboBox *Combo1 = nullptr;     // the base names, as in the bases menu
    QPushButton *Command1 = nullptr; // "Удалить"
    QPushButton *Command2 = nullptr; // "Отмена"

    // Lists the bases found at start-up, in menu order.
    void setBases(const QStringList &names);
    // Marks line `line` as a base deleted since the start.
    void markDeleted(int line);

    // "Удалить": hands on the base chosen in the list (not a deleted one).
    void Command1_Click();

Q_SIGNALS:
    // The user chose to delete the base on line `line` of the list (its position in the bases menu).
    void baseChosen(int line, const QString &name);

protected:
    void showEvent(QShowEvent *event) override;

private:
    const ProgramOptions &m_options;
};
