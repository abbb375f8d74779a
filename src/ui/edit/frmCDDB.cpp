#include "frmCDDB.h"

#include "CddbControl.h"
#include "core/settings/ProgramOptions.h"
#include "ui/platform/VisualStyle.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

} // namespace

const QString frmCDDB::kFailureText = QStringLiteral("Не удается получить данные о диске в CDDB");

frmCDDB::frmCDDB(const ProgramOptions &options, CddbControl *cddb, QWidget *owner) : QDialog(owner), CDDB1(cddb)
{
    setObjectName(QStringLiteral("frmCDDB"));
    setWindowTitle(QStringLiteral("CDDB"));

    Label1 = new QLabel(QStringLiteral("CD-ROM:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    txt1 = new QComboBox(this);
    txt1->setObjectName(QStringLiteral("txt1"));
    Label1->setBuddy(txt1);
    Command2 = new QPushButton(QStringLiteral("Старт"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setDefault(true);
    Command1 = new QPushButton(QStringLiteral("Отмена"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setAccessibleName(QStringLiteral("Журнал"));
    Text1->setMaximumBlockCount(CddbLog::kMaxLines);
    Label2 = new QLabel(QStringLiteral("Пожалуйста ждите..."), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setVisible(false);

    auto *top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addWidget(txt1, 1);
    top->addWidget(Command2);
    top->addWidget(Command1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Text1, 1);
    layout->addWidget(Label2);
    resize(fontMetrics().averageCharWidth() * 70, fontMetrics().height() * 18);

    connect(Command2, &QPushButton::clicked, this, &frmCDDB::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmCDDB::Command1_Click);
    if (CDDB1) {
        connect(CDDB1, &CddbControl::lineReceived, this, [this](const QString &line) {
            appendLog(line + kLineEnd);
            // "202": the server has no such disc.
            if (line.startsWith(QLatin1String("202 ")))
                fail(QString());
        });
        connect(CDDB1, &CddbControl::connected, this,
                [this] { setLog(QStringLiteral("*** Connected ***") + kLineEnd + kLineEnd); });
        connect(CDDB1, &CddbControl::disconnected, this, [this] {
            appendLog(kLineEnd + QStringLiteral("*** Disconnected ***") + kLineEnd);
            Command2->setEnabled(true);
        });
        connect(CDDB1, &CddbControl::failure, this, [this](int, const QString &text) { fail(text); });
        connect(CDDB1, &CddbControl::finished, this, &frmCDDB::lookupFinished);
    }
    listDrives();
    VisualStyle::apply(this, options.classicStyle());
}

void frmCDDB::listDrives()
{
    txt1->clear();
    if (CDDB1)
        txt1->addItems(CDDB1->drives());
    txt1->setCurrentIndex(txt1->count() > 0 ? 0 : -1);
    if (txt1->count() == 0)
        txt1->setPlaceholderText(QStringLiteral("нет дисковода CD"));
}

void frmCDDB::Command2_Click()
{
    if (!CDDB1 || CDDB1->isRunning())
        return;
    setLog(QString());
    Label2->setVisible(true);
    Command2->setEnabled(false);
    m_failed = false;
    Q_EMIT lookupStarted();
    CDDB1->lookup(txt1->currentText());
}

void frmCDDB::Command1_Click()
{
    // While a lookup runs, "Отмена" stops it and the dialog stays; otherwise it closes.
    if (Command2->isEnabled())
        hide();
    if (CDDB1)
        CDDB1->stop();
}

void frmCDDB::reject()
{
    Command1_Click();
}

void frmCDDB::hideEvent(QHideEvent *event)
{
    // Ready for the next use.
    Command2->setEnabled(true);
    setLog(QString());
    QDialog::hideEvent(event);
}

void frmCDDB::setLog(const QString &text)
{
    m_log.clear();
    m_log.append(text);
    m_showAll = true;
    showLog();
}

void frmCDDB::appendLog(const QString &text)
{
    // A long answer arrives many lines to a turn of the event loop: the box takes them once a turn.
    const QString shown = m_log.append(text);
    if (!m_showAll) {
        m_unshown += shown;
        m_unshownLines += int(text.count(kLineEnd));
        m_showAll = m_unshownLines >= CddbLog::kMaxLines;
    }
    if (m_showQueued)
        return;
    m_showQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_showQueued = false;
        showLog();
    });
}

void frmCDDB::showLog()
{
    if (m_showAll) {
        QString all = m_log.text();
        Text1->setPlainText(all.replace(kLineEnd, QStringLiteral("\n")));
    } else if (!m_unshown.isEmpty()) {
        Text1->moveCursor(QTextCursor::End);
        Text1->insertPlainText(m_unshown);
    }
    Text1->moveCursor(QTextCursor::End);
    m_unshown.clear();
    m_unshownLines = 0;
    m_showAll = false;
}

void frmCDDB::fail(const QString &detail)
{
    m_failed = true;
    Label2->setVisible(false);
    Q_EMIT lookupFailed();
    setLog(kFailureText + (detail.isEmpty() ? QString() : kLineEnd + detail));
    Command2->setEnabled(true);
}

void frmCDDB::lookupFinished(bool ok)
{
    Label2->setVisible(false);
    Command2->setEnabled(true);
    if (ok && !m_failed && CDDB1) {
        Q_EMIT discFound(CDDB1->albumTitle(), CDDB1->labelValue(), CDDB1->trackCount());
        hide();
        return;
    }
    if (!m_failed) {
        // Stopped: nothing of it is used; the dialog stays for another try.
        m_failed = true;
        Q_EMIT lookupFailed();
        appendLog((m_log.isEmpty() ? QString() : kLineEnd) + QStringLiteral("Поиск остановлен."));
    }
}
