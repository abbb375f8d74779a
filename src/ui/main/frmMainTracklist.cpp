// The Tracklist panel: the DJ's hand-ordered list of picked tracks. Its rows are copies of what the track
// list showed when they were added; they are numbered when added and never renumbered.
#include "frmMain.h"
#include "ui/controls/SkinButton.h"
#include "ui/platform/ListView.h"
#include "ui/platform/MsgBox.h"

#include <QAction>
#include <QDir>

void frmMain::connectTracklist()
{
    lv->setDragSource(true);
    lv2->setDropTarget(true);
    connect(Command1, &SkinButton::clicked, this, &frmMain::addToTracklist);
    connect(mnuAddOtbor, &QAction::triggered, this, &frmMain::addToTracklist);
    connect(lv2, &ListView::dropped, this, &frmMain::addToTracklist);
    connect(Command2, &SkinButton::clicked, this, &frmMain::removeFromTracklist);
    connect(lv2, &ListView::keyDown, this, [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Delete)
            removeFromTracklist();
    });
    connect(Command3, &SkinButton::clicked, this, &frmMain::clearTracklist);
    connect(cmdUp, &SkinButton::clicked, this, [this] { moveTracklistEntry(-1); });
    connect(cmdDown, &SkinButton::clicked, this, [this] { moveTracklistEntry(+1); });
}

void frmMain::addToTracklist()
{
    const int row = lv->selectedRow();
    if (row < 0)
        return;
    const int n = lv2->count();
    const FieldList &track = lv->itemTexts(row);
    const int added = lv2->appendItem(FieldList::fromList(
        {QString::number(n + 1), track.at(TrackRecord::Artist).toString(), track.at(TrackRecord::Title).toString(),
         track.at(TrackRecord::Duration).toString(),
         track.at(TrackRecord::MediaType) + QStringLiteral(" #") + track.at(TrackRecord::MediaNumber)}));
    lv2->ensureVisible(added);
}

void frmMain::removeFromTracklist()
{
    const int row = lv2->selectedRow();
    if (row < 0)
        return;
    if (MsgBox::show(this, QStringLiteral("Вы действительно хотите удалить выделенный трек из списка отборных?"),
                     MsgBox::YesNo, MsgBox::Question, MsgBox::FirstButton, QStringLiteral("Внимание!")) == MsgBox::No)
        return;
    lv2->removeItem(row);
}

void frmMain::clearTracklist()
{
    if (!MsgBox::confirm(this, QStringLiteral("Вы действительно хотите удалить все треки из списка отборных?"),
                         QStringLiteral("Внимание!")))
        return;
    lv2->clear();
}

void frmMain::moveTracklistEntry(int step)
{
    const int row = lv2->selectedRow();
    const int other = row + step;
    if (row < 0 || other < 0 || other >= lv2->count())
        return;
    // The tracks change places; the numbers stay where they are.
    FieldList here = lv2->itemTexts(row);
    FieldList there = lv2->itemTexts(other);
    for (int c = 1; c <= 4; ++c) {
        const QString text = here.value(c);
        here.set(c, there.at(c));
        there.set(c, text);
    }
    lv2->setItemTexts(row, here);
    lv2->setItemTexts(other, there);
    lv2->setSelectedRow(other);
}

void frmMain::tellTracklistUnreadable(const QString &path, const QString &reason)
{
    MsgBox::show(this,
                 QStringLiteral("Не удалось прочитать файл Tracklist «%1».\r\n%2\r\n"
                                "Файл не будет перезаписан, пока его не удастся прочитать.")
                     .arg(QDir::toNativeSeparators(path), MsgBox::asSentence(reason)),
                 MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Ошибка чтения"));
}
