#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

// The dialog in which the user picks a base to delete.
class frmKillBase : public QDialog
{
    Q_OBJECT

public:
    explicit frmKillBase(QWidget *parent = nullptr);

    QComboBox *Combo1 = nullptr;     // the base names, as in the bases menu
    QPushButton *Command1 = nullptr; // "Удалить"
    QPushButton *Command2 = nullptr; // "Отмена"
};
