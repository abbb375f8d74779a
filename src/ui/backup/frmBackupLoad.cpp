#include "frmBackupLoad.h"

#include "BackupCopy.h"
#include "core/backup/BackupLayout.h"
#include "core/settings/ProgramPaths.h"
#include "ui/platform/MsgBox.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmBackupLoad::frmBackupLoad(const ProgramPaths &paths, const QString &defaultLocation, QWidget *parent)
    : QDialog(parent), m_paths(paths)
{
    setObjectName(QStringLiteral("frmBackupLoad"));
    setWindowTitle(QStringLiteral("Восстановление журнала"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Text1 = new QLineEdit(QDir::toNativeSeparators(defaultLocation), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("Расположение резервной копии"));
    Text1->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    Label1 = new QLabel(QStringLiteral("Расположение резервной копии:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(Text1);
    Command3 = makeButton(this, "Command3", QStringLiteral("Отобразить содержимое резервной копии"));
    // Enter in the location lists what is there.
    Command3->setDefault(true);

    Frame1 = new QGroupBox(QStringLiteral("Резервная копия"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    List1 = new QListWidget(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setAccessibleName(QStringLiteral("Даты резервных копий"));
    Label2 = new QLabel(QStringLiteral("Отметьте даты для восстановления:"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setBuddy(List1);
    Command2 = makeButton(Frame1, "Command2", QStringLiteral("Отметить все"));
    Command4 = makeButton(Frame1, "Command4", QStringLiteral("Восстановить отмеченное"));
    Command1 = makeButton(this, "Command1", QStringLiteral("Закрыть"));

    auto *frameButtons = new QHBoxLayout;
    frameButtons->addWidget(Command2);
    frameButtons->addStretch();
    frameButtons->addWidget(Command4);
    auto *frame = new QVBoxLayout(Frame1);
    frame->addWidget(Label2);
    frame->addWidget(List1);
    frame->addLayout(frameButtons);
    auto *closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(Command1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Text1);
    layout->addWidget(Command3, 0, Qt::AlignRight);
    layout->addWidget(Frame1, 1);
    layout->addLayout(closeRow);
    Frame1->setEnabled(false);

    connect(Command1, &QPushButton::clicked, this, &frmBackupLoad::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmBackupLoad::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmBackupLoad::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmBackupLoad::Command4_Click);
}

void frmBackupLoad::Command1_Click()
{
    done(QDialog::Accepted);
}

void frmBackupLoad::Command2_Click()
{
    for (int i = 0; i < List1->count(); ++i)
        List1->item(i)->setCheckState(Qt::Checked);
}

QString frmBackupLoad::location()
{
    const QString location = BackupLayout::normaliseLocation(Text1->text(), QDir::homePath());
    if (location.isEmpty()) {
        MsgBox::notice(this, QStringLiteral("Укажите расположение резервной копии."), MsgBox::Exclamation);
        Text1->setFocus();
        return QString();
    }
    Text1->setText(QDir::toNativeSeparators(location));
    return location;
}

void frmBackupLoad::Command3_Click()
{
    const QString where = location();
    if (where.isEmpty())
        return;
    const BackupLayout::Listing listing = BackupLayout::list(where);
    if (listing.entries.isEmpty()) {
        MsgBox::notice(this, QStringLiteral("Дискета не содержит резервных копий журнала"), MsgBox::Information);
        return;
    }
    // What was listed before stays: a second listing adds every backup again.
    for (const QString &entry : listing.entries) {
        auto *item = new QListWidgetItem(entry, List1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    Frame1->setEnabled(true);
    List1->setFocus();
    if (!List1->currentItem())
        List1->setCurrentRow(0);
}

void frmBackupLoad::Command4_Click()
{
    if (List1->count() == 0)
        return;
    QStringList marked;
    for (int i = 0; i < List1->count(); ++i) {
        if (List1->item(i)->checkState() == Qt::Checked)
            marked.append(List1->item(i)->text());
    }
    if (marked.isEmpty()) {
        MsgBox::notice(this, QStringLiteral("Отметьте даты для восстановления."), MsgBox::Information);
        return;
    }
    // The location as it reads now, also when it was changed since the listing.
    const QString where = location();
    if (where.isEmpty())
        return;

    const QString base = m_paths.baseFilePath();
    const BackupCopy::FailureTexts texts{
        QStringLiteral("Возможно диск поврежден и нуждается в замене!"),
        QStringLiteral(
            "Хотите ли вы прервать процесс восстановления, повторить или пропустить копирование текущего файла?")};
    // Each marked backup replaces the whole base file in turn: the last one marked is what remains. The
    // base as it was before this restore goes to the Trash first, once.
    int restored = 0;
    bool kept = false;
    for (const QString &entry : std::as_const(marked)) {
        const BackupLayout::Source source = BackupLayout::sourceOf(where, entry);
        const auto copy = [&](QString *failure) {
            // An entry that is not a date never leads to a file: nothing is read for it.
            const QString file = BackupLayout::resolveSource(source);
            if (file.isEmpty())
                return BackupCopy::Outcome::Failed;
            const auto check = BackupCopy::checkAsBase(this, file, base);
            if (check != BackupCopy::Outcome::Copied)
                return check;
            QString reason;
            if (!kept && !BackupCopy::keepInTrash(base, &reason)) {
                *failure = QStringLiteral("Не удается положить копию базы «%1» в корзину: %2.\r\n\r\nБаза не изменена.")
                               .arg(QDir::toNativeSeparators(base), reason);
                return BackupCopy::Outcome::Failed;
            }
            kept = true;
            return BackupCopy::copyFile(file, base, BackupCopy::Destination::Base) == 0 ? BackupCopy::Outcome::Copied
                                                                                        : BackupCopy::Outcome::Failed;
        };
        const auto outcome = BackupCopy::copyWithRetry(this, source.path, copy, texts);
        if (outcome == BackupCopy::Outcome::Aborted)
            return;
        if (outcome == BackupCopy::Outcome::Copied)
            ++restored;
    }
    if (restored == 0) {
        MsgBox::notice(this, QStringLiteral("Ни одна резервная копия не восстановлена.\r\nБаза не изменена."),
                       MsgBox::Exclamation);
        return;
    }
    MsgBox::notice(this, QStringLiteral("Восстановление завершено!"), MsgBox::Information);
}
