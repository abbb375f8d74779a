#include "Catalogue.h"

#include "core/sort/ShelfSort.h"

Catalogue::Catalogue(QObject *parent) : QObject(parent)
{
    connect(this, &Catalogue::trackAdded, this, &Catalogue::addCompletionValues);
    connect(this, &Catalogue::trackChanged, this, &Catalogue::addCompletionValues);
    connect(this, &Catalogue::tableReplaced, this, [this] { m_completion.feed(m_tracks); });
}

int Catalogue::addTrack(const TrackRecord &record)
{
    const int index = m_tracks.AddTrack(record);
    Q_EMIT trackAdded(index);
    return index;
}

void Catalogue::changeTrack(int index, const TrackRecord &record)
{
    m_tracks.setRecord(index, record);
    Q_EMIT trackChanged(index);
}

void Catalogue::removeTrack(int index)
{
    m_tracks.removeTrack(index);
    Q_EMIT trackRemoved(index);
}

BaseFiles::ReadResult Catalogue::readBase(const QString &path)
{
    m_loading = false; // a load in pieces that was let go ends here too
    m_tracks.ClearTracks();
    const BaseFiles::ReadResult read = BaseFiles::readBase(path, m_tracks);
    Q_EMIT tableReplaced();
    return read;
}

void Catalogue::clear()
{
    m_loading = false;
    m_tracks.ClearTracks();
    Q_EMIT tableReplaced();
}

void Catalogue::startLoading()
{
    m_loading = true;
    m_tracks.ClearTracks();
    Q_EMIT loadStarted();
}

void Catalogue::appendLoaded(TrackTable &&piece, int expectedTracks)
{
    if (!piece.hasTracks())
        return;
    const int first = m_tracks.count() + 1;
    if (first == 1 && expectedTracks > piece.count())
        m_tracks.reserve(expectedTracks + expectedTracks / 50); // the guess may fall a little short
    m_tracks.appendTable(std::move(piece));
    Q_EMIT tracksAppended(first, m_tracks.count());
}

void Catalogue::finishLoading()
{
    m_loading = false;
    m_tracks.squeeze();
    Q_EMIT tableReplaced();
}

bool Catalogue::writeBase(const QString &path, QString *error)
{
    return BaseFiles::writeBase(path, m_tracks, error, [this](int index) { Q_EMIT trackChanged(index); });
}

void Catalogue::sortIntoShelfOrder()
{
    ShelfSort::sortTable(m_tracks);
    Q_EMIT tableReplaced();
}

void Catalogue::addCompletionValues(int index)
{
    const TrackRecord record = m_tracks.at(index);
    for (TrackRecord::Field field :
         {TrackRecord::Artist, TrackRecord::Album, TrackRecord::Style, TrackRecord::Label, TrackRecord::Comment})
        m_completion.AddValue(boxOf(field), record.value(field));
}

const std::array<ColumnInfo, Catalogue::kColumnCount> &Catalogue::arColumns()
{
    static const std::array<ColumnInfo, kColumnCount> columns = [] {
        static const struct
        {
            const char16_t *caption;
            int width;
        } kColumns[kColumnCount] = {
            {u"Тип носителя", 40}, {u"№ носителя", 50}, {u"№ трека", 50},      {u"Исполнитель", 100},
            {u"Название", 130},    {u"Альбом", 130},    {u"Длительность", 50}, {u"Дата", 50},
            {u"Стиль", 90},        {u"Лэйбл", 90},      {u"Комментарий", 90},  {u"Рейтинг", 90},
        };
        std::array<ColumnInfo, kColumnCount> filled;
        for (int k = 0; k < kColumnCount; ++k)
            filled[size_t(k)] = {QString::fromUtf16(kColumns[k].caption), kColumns[k].width};
        return filled;
    }();
    return columns;
}
