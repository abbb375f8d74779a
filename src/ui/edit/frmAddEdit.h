#pragma once

#include <QDialog>
#include <QVector>

class QComboBox;
class QLineEdit;

// The dialog in which one track is typed in or changed. It is made once and only hidden between uses,
// so its fields keep their contents.
class frmAddEdit : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kFirstBox = 2;
    static constexpr int kLastBox = 12;

    explicit frmAddEdit(QWidget *parent = nullptr);

    // The media type (track field 0).
    QComboBox *txt1 = nullptr;
    // Boxes 2..12 (0 and 1 unused): box i holds track field i - 1.
    QVector<QLineEdit *> txt;
};
