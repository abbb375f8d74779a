#pragma once

#include <QDialog>
#include <QVector>

class QCheckBox;
class QLabel;

// The search options window: which fields of a track the search looks in. It opens below the search
// options button and hides again when it loses the focus.
class frmPopup : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kFieldBoxes = 12;

    explicit frmPopup(QWidget *parent = nullptr);

    QCheckBox *chAll = nullptr;          // "Всё"
    QVector<QCheckBox *> Ch;             // indexes 1..12 (0 unused): box f stands for field f - 1
    QVector<QLabel *> ChC;               // indexes 1..12: the field captions
    QLabel *heading = nullptr;           // "При поиске учитывать:"

Q_SIGNALS:
    void chAllClicked();
    void chClicked(int index);
    // The window lost the focus: it closes.
    void deactivated();

protected:
    bool event(QEvent *event) override;
};
