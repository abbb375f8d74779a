#include "frmSplash.h"

#include <QLabel>
#include <QVBoxLayout>

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    setFixedSize(360, 130);

    Label1 = new QLabel(QStringLiteral("Пожалуйста ждите..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont big = Label1->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    Label1->setFont(big);
    Label2 = new QLabel(QStringLiteral("Идет обработка базы данных"), this);
    Label2->setObjectName(QStringLiteral("Label2"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addWidget(Label1, 0, Qt::AlignHCenter);
    layout->addWidget(Label2, 0, Qt::AlignHCenter);

    setStyleSheet(QStringLiteral("frmSplash { border: 1px solid palette(dark); }"));
}
