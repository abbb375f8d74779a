#include "frmKillBase.h"

#include "core/settings/ProgramOptions.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

const QString frmKillBase::kDeleted = QStringLiteral("[ Удалено ]");

frmKillBase::frmKillBase(const ProgramOptions &options, QWidget *parent) : QDialog(parent), m_options(options)
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
    setMinimumWidth(fontMetrics().averageCharWidth() * 48);

    connect(Command1, &QPushButton::clicked, this, &frmKillBase::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::hide);
}

void frmKillBase::showEvent(QShowEvent *event)
{
    // Opens on the open base. A base created since the start has no line here; the list then stays as it
    // was.
    if (m_options.iSelectedBase >= 0 && m_options.iSelectedBase < Combo1->count())
        Combo1->setCurrentIndex(m_options.iSelectedBase);
    QDialog::showEvent(event);
}

void frmKillBase::setBases(const QStringList &names)
{
    Combo1->clear();
    Combo1->addItems(names);
    if (m_options.iSelectedBase >= 0 && m_options.iSelectedBase < Combo1->count())
        Combo1->setCurrentIndex(m_options.iSelectedBase);
}

void frmKillBase::markDeleted(int line)
{
    if (line >= 0 && line < Combo1->count())
        Combo1->setItemText(line, kDeleted);
}

void frmKillBase::Command1_Click()
{
    const int line = Combo1->currentIndex();
    if (line < 0 || Combo1->currentText() == kDeleted)
        return;
    Q_EMIT baseChosen(line, Combo1->currentText());
}
