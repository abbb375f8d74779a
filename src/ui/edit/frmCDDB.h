#pragma once

#include "core/cddb/CddbLog.h"

#include <QDialog>
#include <QPointer>

class CddbControl;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
struct ProgramOptions;

// The CDDB lookup dialog: the user picks a CD drive and starts the lookup; the log shows what the server
// says. A lookup that succeeds hands the album title, label and number of tracks on and closes the
// dialog; the per-track data stay in the control `CDDB1`, where the album dialog reads them.
class frmCDDB : public QDialog
{
    Q_OBJECT

public:
    static const QString kFailureText; // "Не удается получить данные о диске в CDDB"

    frmCDDB(const ProgramOptions &options, CddbControl *cddb, QWidget *owner);

    QLabel *Label1 = nullptr;        // "CD-ROM:"
    QComboBox *txt1 = nullptr;       // the CD drives
    QPushButton *Command2 = nullptr; // "Старт"
    QPushButton *Command1 = nullptr; // "Отмена"
    QPlainTextEdit *Text1 = nullptr; // the log
    QLabel *Label2 = nullptr;        // "Пожалуйста ждите..."
    QPointer<CddbControl> CDDB1;

    // The log as it is shown (its last lines), CR LF between them.
    QString logText() const { return m_log.text(); }

    void Command2_Click();
    void Command1_Click();
    // Fills the drive list with the system's CD drives, the first one selected.
    void listDrives();

Q_SIGNALS:
    // "Старт": the lookup's data are to be used, unless it fails.
    void lookupStarted();
    // The lookup failed or was stopped: no CDDB data.
    void lookupFailed();
    // The lookup found the disc: its album title, label and number of tracks.
    void discFound(const QString &album, const QString &label, int trackCount);

protected:
    void hideEvent(QHideEvent *event) override;
    void reject() override;

private:
    void setLog(const QString &text);
    void appendLog(const QString &text);
    // Brings the log box up to the log: the lines added since it was last shown, or all when that is less work.
    void showLog();
    void fail(const QString &detail);
    void lookupFinished(bool ok);

    CddbLog m_log;
    // Added to the log and not shown yet (LF between lines), or the whole log is to be shown again.
    QString m_unshown;
    int m_unshownLines = 0;
    bool m_showAll = false;
    bool m_showQueued = false;
    bool m_failed = false;
};
