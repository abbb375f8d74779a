#include "frmPopup.h"

#include "core/catalogue/TrackTable.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>

frmPopup::frmPopup(QWidget *parent) : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmPopup"));
    setWindowTitle(QStringLiteral("При поиске учитывать:"));

    auto *grid = new QGridLayout(this);
    heading = new QLabel(QStringLiteral("При поиске учитывать:"), this);
    grid->addWidget(heading, 0, 0, 1, 2);
    chAll = new QCheckBox(QStringLiteral("Всё"), this);
    chAll->setObjectName(QStringLiteral("chAll"));
    grid->addWidget(chAll, 1, 0, 1, 2);

    Ch.fill(nullptr, kFieldBoxes + 1);
    ChC.fill(nullptr, kFieldBoxes + 1);
    for (int f = 1; f <= kFieldBoxes; ++f) {
        auto *box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("Ch%1").arg(f));
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("ChC%1").arg(f));
        label->setBuddy(box);
        grid->addWidget(box, f + 1, 0);
        grid->addWidget(label, f + 1, 1);
        Ch[f] = box;
        ChC[f] = label;
        connect(box, &QCheckBox::clicked, this, [this] { Q_EMIT fieldsChanged(chosenFields()); });
    }
    // The captions stand right beside their boxes.
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(4);
    connect(chAll, &QCheckBox::clicked, this, &frmPopup::chAll_Click);
}

void frmPopup::setCaptions(const QStringList &captions)
{
    for (int f = 1; f <= kFieldBoxes && f <= captions.size(); ++f)
        ChC[f]->setText(captions[f - 1]);
}

void frmPopup::chAll_Click()
{
    const bool all = chAll->isChecked();
    for (int f = 1; f <= kFieldBoxes; ++f) {
        Ch[f]->setChecked(all);
        Ch[f]->setEnabled(!all);
    }
    if (!all)
        Ch[boxOf(TrackRecord::Title)]->setChecked(true);
    Q_EMIT fieldsChanged(chosenFields());
}

quint16 frmPopup::chosenFields() const
{
    quint16 fields = 0;
    for (int f = 1; f <= kFieldBoxes; ++f) {
        if (Ch[f]->isChecked())
            fields |= quint16(1u << (f - 1));
    }
    return fields;
}

void frmPopup::showAt(const QPoint &topLeft)
{
    move(topLeft);
    show();
    raise();
    activateWindow();
}

bool frmPopup::event(QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate) {
        hide();
        Q_EMIT deactivated();
    }
    return QDialog::event(event);
}
