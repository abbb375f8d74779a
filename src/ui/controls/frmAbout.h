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

    // The help page of the program in `programFolder`: beside the program when it is there (a program
    // started from its build tree), else where the program's installation puts it. Opening it shows it in
    // the system's browser; a page that cannot be opened is not reported.
    static QString helpPagePath(const QString &programFolder);
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
