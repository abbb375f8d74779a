#pragma once

#include <QDialog>

class QDate;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class ProgramPaths;

// The backup dialog: copies the open base's file to a folder on removable media (or anywhere). The
// interval starts as the first of the month to today, the location as `defaultLocation`; both stay as the
// user leaves them while the dialog lives (the backup commands keep it until the program ends).
class frmBackupSave : public QDialog
{
    Q_OBJECT

public:
    frmBackupSave(const ProgramPaths &paths, const QString &defaultLocation, const QDate &today,
                  QWidget *parent = nullptr);

private:
    // "Создать": copies the base to the location as its own file and as the dated backup of today.
    void Command1_Click();
    // "Отмена"
    void Command2_Click();

    const ProgramPaths &m_paths;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    QDateEdit *DateFrom = nullptr, *DateTo = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr;
};
