#include "frmAddEdit.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

frmAddEdit::frmAddEdit(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAddEdit"));
    setWindowTitle(QStringLiteral("Добавить/Изменить запись в журнале"));

    auto *form = new QFormLayout(this);
    txt1 = new QComboBox(this);
    txt1->setObjectName(QStringLiteral("txt1"));
    form->addRow(txt1);
    txt.fill(nullptr, kLastBox + 1);
    for (int i = kFirstBox; i <= kLastBox; ++i) {
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txt%1").arg(i));
        form->addRow(box);
        txt[i] = box;
    }
}
