#include "frmPrinter.h"

#include "core/settings/ProgramOptions.h"
#include "ui/platform/Twips.h"
#include "ui/platform/VisualStyle.h"

#include <QComboBox>
#include <QLabel>
#include <QPrinterInfo>
#include <QPushButton>

frmPrinter::frmPrinter(const ProgramOptions &options, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrinter"));
    setWindowTitle(QStringLiteral("Выбор принтера для печати"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(Twips::toPixelsX(4455), Twips::toPixelsY(1065));

    Label1 = new QLabel(QStringLiteral("Принтер:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::toPixels(120, 120, 735, 255));
    cmbPrinters = new QComboBox(this);
    cmbPrinters->setObjectName(QStringLiteral("cmbPrinters"));
    cmbPrinters->setAccessibleName(QStringLiteral("Принтеры"));
    // A combo box is as high as its font makes it; only its place and width are given.
    const QRect combo = Twips::toPixels(960, 120, 3375, 0);
    cmbPrinters->setGeometry(combo.x(), combo.y(), combo.width(), cmbPrinters->sizeHint().height());
    Label1->setBuddy(cmbPrinters);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::toPixels(2160, 600, 975, 375));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("Отмена"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::toPixels(3240, 600, 1095, 375));
    Command2->setAutoDefault(false);

    // The label keeps its place; where the system's font needs more room than its width gives, the
    // list, the buttons and the dialog move right by the difference instead of covering its end.
    const int extra = Label1->sizeHint().width() - Label1->width();
    if (extra > 0) {
        Label1->resize(Label1->width() + extra, Label1->height());
        for (QWidget *right : std::initializer_list<QWidget *>{cmbPrinters, Command1, Command2})
            right->move(right->x() + extra, right->y());
        setFixedSize(width() + extra, height());
    }

    connect(Command1, &QPushButton::clicked, this, &frmPrinter::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmPrinter::Command2_Click);

    fillPrinters();
    VisualStyle::apply(this, options.classicStyle());
}

void frmPrinter::fillPrinters()
{
    cmbPrinters->clear();
    cmbPrinters->addItems(QPrinterInfo::availablePrinterNames());
    cmbPrinters->setCurrentIndex(cmbPrinters->count() > 0 ? 0 : -1);
}

void frmPrinter::showEvent(QShowEvent *event)
{
    // Printers come and go while the program runs: the list is the platform's at the time it opens.
    fillPrinters();
    QDialog::showEvent(event);
}

void frmPrinter::Command1_Click()
{
    m_chosen = cmbPrinters->currentText();
    accept();
}

void frmPrinter::Command2_Click()
{
    m_cancel = true;
    QDialog::reject();
}

void frmPrinter::reject()
{
    Command1_Click();
}
