#include "TracklistPanel.h"

#include "core/catalogue/TrackTable.h"
#include "ui/controls/SkinButton.h"
#include "ui/platform/ListView.h"
#include "ui/platform/MsgBox.h"

#include <QDir>
#include <QWidget>

TracklistPanel::TracklistPanel(const Controls &controls, QWidget *owner)
    : QObject(owner), m_ui(controls), m_owner(owner)
{
    addColumns();
    m_ui.lv->setDragSource(true);
    m_ui.lv2->setDropTarget(true);
    connect(m_ui.Command1, &SkinButton::clicked, this, &TracklistPanel::addToTracklist);
    connect(m_ui.lv2, &ListView::dropped, this, &TracklistPanel::addToTracklist);
    connect(m_ui.Command2, &SkinButton::clicked, this, &TracklistPanel::removeFromTracklist);
    connect(m_ui.lv2, &ListView::keyDown, this, [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Delete)
            removeFromTracklist();
    });
    connect(m_ui.Command3, &SkinButton::clicked, this, &TracklistPanel::clearTracklist);
    connect(m_ui.cmdUp, &SkinButton::clicked, this, [this] { moveTracklistEntry(-1); });
    connect(m_ui.cmdDown, &SkinButton::clicked, this, [this] { moveTracklistEntry(+1); });
}

void TracklistPanel::addColumns()
{
    ListView *lv2 = m_ui.lv2;
    lv2->addColumn(QStringLiteral("№"), 30);
    lv2->addColumn(QStringLiteral("Исполнитель"), 150);
    lv2->addColumn(QStringLiteral("Название"), 300);
    lv2->addColumn(QStringLiteral("Длительность"), 90);
    lv2->addColumn(QStringLiteral("Тип и № носителя"), 120);
}

int TracklistPanel::columnCount() const
{
    return m_ui.lv2->columnCount();
}

BaseFiles::Losses TracklistPanel::LoadTracklist(const QString &path)
{
    QVector<FieldList> rows;
    const BaseFiles::ReadResult read = BaseFiles::readTracklist(path, columnCount(), rows);
    // Told when it becomes unreadable (at start, usually), not again at every later load.
    if (!read.ok && !m_unreadable) {
        MsgBox::show(m_owner,
                     QStringLiteral("Не удалось прочитать файл Tracklist «%1».\r\n%2\r\n"
                                    "Файл не будет перезаписан, пока его не удастся прочитать.")
                         .arg(QDir::toNativeSeparators(path), MsgBox::asSentence(read.error)),
                     MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Ошибка чтения"));
    }
    m_unreadable = !read.ok;
    if (read.exists && read.ok) {
        QVector<ListItem> items(rows.size());
        for (qsizetype i = 0; i < rows.size(); ++i)
            items[i].texts = rows[i];
        m_ui.lv2->setItems(std::move(items));
    }
    return read.losses;
}

bool TracklistPanel::SaveTracklist(const QString &path, QString *error)
{
    if (m_unreadable) {
        *error = QStringLiteral("Файл не был прочитан при открытии базы.");
        return false;
    }
    QVector<FieldList> rows;
    rows.reserve(m_ui.lv2->count());
    for (const ListItem &item : m_ui.lv2->items())
        rows.append(item.texts);
    return BaseFiles::writeTracklist(path, rows, columnCount(), error);
}

void TracklistPanel::addToTracklist()
{
    const int row = m_ui.lv->selectedRow();
    if (row < 0)
        return;
    ListView *lv2 = m_ui.lv2;
    const int n = lv2->count();
    const FieldList track = m_ui.lv->itemTexts(row);
    const int added = lv2->appendItem(FieldList::fromList(
        {QString::number(n + 1), track.at(TrackRecord::Artist).toString(), track.at(TrackRecord::Title).toString(),
         track.at(TrackRecord::Duration).toString(),
         track.at(TrackRecord::MediaType) + QStringLiteral(" #") + track.at(TrackRecord::MediaNumber)}));
    lv2->ensureVisible(added);
}

void TracklistPanel::removeFromTracklist()
{
    const int row = m_ui.lv2->selectedRow();
    if (row < 0)
        return;
    if (MsgBox::show(m_owner, QStringLiteral("Вы действительно хотите удалить выделенный трек из списка отборных?"),
                     MsgBox::YesNo, MsgBox::Question, MsgBox::FirstButton, QStringLiteral("Внимание!")) == MsgBox::No)
        return;
    m_ui.lv2->removeItem(row);
}

void TracklistPanel::clearTracklist()
{
    if (!MsgBox::confirm(m_owner, QStringLiteral("Вы действительно хотите удалить все треки из списка отборных?"),
                         QStringLiteral("Внимание!")))
        return;
    m_ui.lv2->clear();
}

void TracklistPanel::moveTracklistEntry(int step)
{
    ListView *lv2 = m_ui.lv2;
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
