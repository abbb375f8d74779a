#include "frmKillBase.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

frmKillBase::frmKillBase(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmKillBase"));
    setWindowTitle(QStringLiteral("Выбирите базу для удаления"));

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setAccessibleName(QStringLiteral("Базы"));
    Command1 = new QPushButton(QStringLiteral("Удалить"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("Отмена"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Combo1);
    layout->addLayout(buttons);

    connect(Command2, &QPushButton::clicked, this, &QDialog::hide);
}
