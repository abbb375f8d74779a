#include "CatalogueList.h"

#include "core/catalogue/Catalogue.h"

#include <numeric>

CatalogueList::CatalogueList(const Catalogue &catalogue, ListView *lv, QObject *parent)
    : QObject(parent), m_catalogue(catalogue), m_lv(lv)
{
    connect(&catalogue, &Catalogue::trackAdded, this, &CatalogueList::trackAdded);
    connect(&catalogue, &Catalogue::trackChanged, this, &CatalogueList::trackChanged);
    connect(&catalogue, &Catalogue::trackRemoved, this, &CatalogueList::trackRemoved);
    connect(&catalogue, &Catalogue::tableReplaced, this, &CatalogueList::showAll);
    connect(&catalogue, &Catalogue::loadStarted, this, &CatalogueList::loadStarted);
    connect(&catalogue, &Catalogue::tracksAppended, this, &CatalogueList::tracksAppended);
}

ListView::TextSource CatalogueList::recordSource() const
{
    // A row whose Tag has no track (yet, or any more) shows an empty record.
    return [this](int tag) -> FieldList {
        return tag >= 1 && tag <= m_catalogue.count() ? m_catalogue.at(tag) : TrackRecord();
    };
}

ListView::ColumnSource CatalogueList::columnSource() const
{
    // The sort of a column reads only that field of each track.
    return [this](int tag, int column, QString &text) {
        if (tag >= 1 && tag <= m_catalogue.count())
            m_catalogue.arTracks().readField(tag, column, text);
        else
            text.clear();
    };
}

void CatalogueList::showAll()
{
    const int count = m_catalogue.count();
    if (count > 0) {
        std::vector<int> tags(static_cast<size_t>(count));
        std::iota(tags.begin(), tags.end(), 1);
        showRows(std::move(tags));
        m_lv->ensureVisible(m_lv->count() - 1);
    } else {
        m_lv->clear();
    }
    Q_EMIT statusChanged(loadedText(count));
}

void CatalogueList::showRows(std::vector<int> tags)
{
    m_lv->setSourceRows(recordSource(), std::move(tags), columnSource());
    if (m_lv->count() == 0)
        return;
    const int last = m_lv->count() - 1;
    m_lv->setSelectedRow(last);
    Q_EMIT rowChosen(last);
}

QString CatalogueList::loadedText(int count)
{
    return QStringLiteral("Загружено ") + QString::number(count) + QStringLiteral(" треков");
}

void CatalogueList::clearRows()
{
    m_lv->clear();
}

void CatalogueList::trackAdded(int index)
{
    if (m_lv->selectedRow() >= 0)
        m_lv->setSelectedRow(-1);
    const int row = m_lv->appendItem(m_catalogue.at(index), index);
    m_lv->setSelectedRow(row);
    m_lv->ensureVisible(row);
    Q_EMIT statusChanged(loadedText(index));
}

void CatalogueList::loadStarted()
{
    m_lv->setSourceRows(recordSource(), {}, columnSource());
    Q_EMIT statusChanged(QStringLiteral("Идет загрузка базы..."));
}

void CatalogueList::tracksAppended(int first, int last)
{
    std::vector<int> tags(size_t(last - first + 1));
    std::iota(tags.begin(), tags.end(), first);
    if (!m_lv->hasSourceRows())
        m_lv->setSourceRows(recordSource(), {}, columnSource());
    m_lv->appendSourceRows(tags);
    Q_EMIT statusChanged(QStringLiteral("Идет загрузка базы... Загружено треков: ") + QString::number(last));
}

void CatalogueList::trackChanged(int index)
{
    const int row = rowOf(index);
    if (row >= 0)
        m_lv->setItemTexts(row, m_catalogue.at(index));
}

void CatalogueList::trackRemoved(int index)
{
    // The rows still carry the indexes from before the removal: the removed track's row is the one
    // with its index, and the rows after it point one place too far until they are shifted.
    const int row = rowOf(index);
    if (row >= 0)
        m_lv->removeItem(row);
    m_lv->shiftTagsDown(index);
}

int CatalogueList::rowOf(int index) const
{
    const int selected = m_lv->selectedRow();
    if (selected >= 0 && m_lv->itemTag(selected) == index)
        return selected;
    for (int row = 0; row < m_lv->count(); ++row) {
        if (m_lv->itemTag(row) == index)
            return row;
    }
    return -1;
}
