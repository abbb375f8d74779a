#pragma once

#include <QWidget>

class QLabel;

// The window shown while the program starts and reads the open base.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr; // "Пожалуйста ждите..."
    QLabel *Label2 = nullptr; // "Идет обработка базы данных"
};
