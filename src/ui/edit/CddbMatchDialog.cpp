#include "CddbMatchDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CddbMatchDialog::CddbMatchDialog(const QStringList &matches, QWidget *parent)
    : QDialog(parent), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("CddbMatchDialog"));
    setWindowTitle(QStringLiteral("CDDB"));
    auto *prompt = new QLabel(QStringLiteral("Найдено несколько дисков. Выберите нужный:"), this);
    prompt->setObjectName(QStringLiteral("lblPrompt"));
    prompt->setBuddy(m_list);
    m_list->setObjectName(QStringLiteral("lstMatches"));
    m_list->setAccessibleName(QStringLiteral("Найденные диски"));
    m_list->addItems(matches);
    m_list->setCurrentRow(0);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(480, 260);
}

int CddbMatchDialog::picked() const
{
    return result() == QDialog::Accepted ? m_list->currentRow() : -1;
}
