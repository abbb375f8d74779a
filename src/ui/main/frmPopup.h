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

    QCheckBox *chAll = nullptr; // "Всё"
    QVector<QCheckBox *> Ch;    // indexes 1..12 (0 unused): box f stands for field f - 1
    QVector<QLabel *> ChC;      // indexes 1..12: the field captions
    QLabel *heading = nullptr;  // "При поиске учитывать:"

    // Shows the captions of the twelve fields beside their boxes.
    void setCaptions(const QStringList &captions);
    // "Всё" clicked: all twelve fields, boxes greyed; off: the title alone, boxes free.
    void chAll_Click();
    // The fields chosen: bit f - 1 for box f.
    quint16 chosenFields() const;
    // Opens the window with its top-left corner at `topLeft` (screen coordinates), active.
    void showAt(const QPoint &topLeft);

Q_SIGNALS:
    // The choice of fields changed to `fields` (as chosenFields() gives them).
    void fieldsChanged(quint16 fields);
    // The window lost the focus and closed.
    void deactivated();

protected:
    bool event(QEvent *event) override;
};
