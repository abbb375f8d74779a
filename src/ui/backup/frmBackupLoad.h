#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class ProgramPaths;

// The restore dialog: lists the dated backups at a location, and copies the ones the user marks over the
// open base's file, in list order. The open base is read again from its file once the dialog is closed,
// not before; the backup commands make a new dialog for each opening.
class frmBackupLoad : public QDialog
{
    Q_OBJECT

public:
    frmBackupLoad(const ProgramPaths &paths, const QString &defaultLocation, QWidget *parent = nullptr);

private:
    // "Закрыть"
    void Command1_Click();
    // "Отметить все"
    void Command2_Click();
    // "Отобразить содержимое резервной копии": appends the backups found to the list.
    void Command3_Click();
    // "Восстановить отмеченное"
    void Command4_Click();
    // The location in Text1, normalised and written back; empty (the user was told) when there is none.
    QString location();

    const ProgramPaths &m_paths;
    QLabel *Label1 = nullptr, *Label2 = nullptr;
    QLineEdit *Text1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QListWidget *List1 = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr;
};
