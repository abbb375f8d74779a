#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: the program's title, what it is for, who makes it, and "Закрыть". A click anywhere in
// it (on the texts too) closes it. It draws in the platform's visual style unless the pretty interface
// is turned off.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    // `programTitle` is the title in the main window's caption; `disableXP` is the program's DisableXP
    // setting.
    explicit frmAbout(const QString &programTitle, bool disableXP, QWidget *parent = nullptr);

    // The help page shipped beside the program, and opening it in the system's browser. A page that
    // cannot be opened is not reported.
    static QString helpPagePath();
    static void openHelp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QLabel *Label1;
    QLabel *Label3;
    QLabel *Label4;
    QPushButton *Command1;
};
