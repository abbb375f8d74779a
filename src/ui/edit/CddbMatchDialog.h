#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

// Asks the user which of several discs a CDDB server found is the one in the drive: a list of the
// matches with Ok and Cancel. Shown through Modal::show, so a test can pick in it.
class CddbMatchDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CddbMatchDialog(const QStringList &matches, QWidget *parent = nullptr);

    // The row picked (from 0), or -1 when the dialog was cancelled or nothing is selected.
    int picked() const;

private:
    QListWidget *m_list;
};
