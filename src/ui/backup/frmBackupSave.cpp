#include "frmBackupSave.h"

#include "BackupCopy.h"
#include "core/backup/BackupLayout.h"
#include "core/settings/ProgramPaths.h"
#include "ui/platform/MsgBox.h"

#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDateEdit *makeDatePicker(QWidget *parent, const char *name, const QDate &date, const QString &accessibleName)
{
    auto *picker = new QDateEdit(date, parent);
    picker->setObjectName(QLatin1String(name));
    picker->setAccessibleName(accessibleName);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    return picker;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QWidget *buddy = nullptr)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

} // namespace

frmBackupSave::frmBackupSave(const ProgramPaths &paths, const QString &defaultLocation, const QDate &today,
                             QWidget *parent)
    : QDialog(parent), m_paths(paths)
{
    setObjectName(QStringLiteral("frmBackupSave"));
    setWindowTitle(QStringLiteral("Создание резервной копии журнала"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const BackupLayout::Interval interval = BackupLayout::defaultInterval(today);
    DateFrom = makeDatePicker(this, "DateFrom", interval.from, QStringLiteral("Начало интервала"));
    DateTo = makeDatePicker(this, "DateTo", interval.to, QStringLiteral("Конец интервала"));
    Text1 = new QLineEdit(QDir::toNativeSeparators(defaultLocation), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("Путь для сохранения"));
    Text1->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    Label2 = makeLabel(this, "Label2", QStringLiteral("Интервал для резервирования"));
    Label3 = makeLabel(this, "Label3", QStringLiteral("от"), DateFrom);
    Label4 = makeLabel(this, "Label4", QStringLiteral("до"), DateTo);
    Label1 = makeLabel(this, "Label1", QStringLiteral("Путь для сохранения:"), Text1);
    Command1 = new QPushButton(QStringLiteral("Создать"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("Отмена"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);

    auto *dates = new QHBoxLayout;
    dates->addWidget(Label3);
    dates->addWidget(DateFrom);
    dates->addSpacing(fontMetrics().averageCharWidth() * 2);
    dates->addWidget(Label4);
    dates->addWidget(DateTo);
    dates->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addLayout(dates);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(Label1);
    layout->addWidget(Text1);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &frmBackupSave::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmBackupSave::Command2_Click);
}

void frmBackupSave::Command1_Click()
{
    const QString location = BackupLayout::normaliseLocation(Text1->text(), QDir::homePath());
    if (location.isEmpty()) {
        MsgBox::notice(this, QStringLiteral("Укажите путь для сохранения резервной копии."), MsgBox::Exclamation);
        Text1->setFocus();
        return;
    }
    Text1->setText(QDir::toNativeSeparators(location));
    if (DateFrom->date() > DateTo->date()) {
        MsgBox::notice(this, QStringLiteral("Начало интервала позже его конца.\r\nРезервная копия не создана."),
                       MsgBox::Exclamation);
        DateFrom->setFocus();
        return;
    }
    // The base is written after every change, so its file is the base as the user sees it. A base that
    // was never written has nothing to copy.
    const QString source = m_paths.baseFilePath();
    if (!QFileInfo(source).isFile()) {
        MsgBox::notice(
            this,
            QStringLiteral("Файл базы «%1» ещё не записан, копировать нечего.\r\nРезервная копия не создана.")
                .arg(QDir::toNativeSeparators(source)),
            MsgBox::Exclamation);
        return;
    }

    // One copy under the base's own name, and the dated backup of today, which the restore lists.
    const QStringList targets{location + m_paths.sBaseFile,
                              BackupLayout::datedBackupPath(location, QDate::currentDate())};
    const BackupCopy::FailureTexts texts{
        QStringLiteral("Возможно диск не отформатирован или поврежден и нуждается в замене!"),
        QStringLiteral("Хотите ли вы прервать процесс создания резервной копии, повторить или пропустить "
                       "копирование текущего файла?")};
    int copied = 0;
    for (const QString &target : targets) {
        // A link on the medium is replaced, never written through into whatever it points to.
        const auto copy = [&](QString *) {
            return BackupCopy::copyFile(source, target, BackupCopy::Destination::Medium) == 0
                       ? BackupCopy::Outcome::Copied
                       : BackupCopy::Outcome::Failed;
        };
        const auto outcome = BackupCopy::copyWithRetry(this, source, copy, texts);
        if (outcome == BackupCopy::Outcome::Aborted)
            return;
        if (outcome == BackupCopy::Outcome::Copied)
            ++copied;
    }
    if (copied == 0) {
        MsgBox::notice(this, QStringLiteral("Резервная копия не создана!"), MsgBox::Exclamation);
        return;
    }
    MsgBox::notice(this, QStringLiteral("Резервная копия создана!"), MsgBox::Information);
    hide();
}

void frmBackupSave::Command2_Click()
{
    hide();
}
