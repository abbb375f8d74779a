// Reading and writing the open base and the Tracklist.
#include "app/BaseFiles.h"
#include "frmMain.h"
#include "platform/ListView.h"
#include "platform/MsgBox.h"

#include <QDir>

#include <numeric>

ListView::TextSource frmMain::recordSource() const
{
    // The rows of the track list show the catalogue's own records: a row holds only its Tag.
    return [this](int tag) -> const FieldList & {
        static const TrackRecord none;
        return tag >= 1 && tag <= g.arTracks.count() ? g.arTracks.at(tag) : none;
    };
}

void frmMain::LoadCurentH()
{
    LoadBase();
}

bool frmMain::SaveCurentH()
{
    return SaveBase();
}

void frmMain::LoadBase()
{
    // A load shows every track, whatever a running search was looking for.
    ++*m_searchGeneration;
    m_searching = false;
    g.arTracks.ClearTracks();
    lv->clear();

    const QString path = g.baseFilePath();
    const BaseFiles::ReadResult read = BaseFiles::readBase(path, g.arTracks);
    m_baseUnreadable = !read.ok;
    if (!read.ok) {
        MsgBox::show(this,
                     QStringLiteral("Не удалось прочитать файл базы \"%1\".\r\n%2\r\n"
                                    "Файл не будет перезаписан, пока его не удастся прочитать.")
                         .arg(QDir::toNativeSeparators(path), read.error),
                     MsgBox::OkOnly, MsgBox::Exclamation, 1, QStringLiteral("Ошибка чтения"));
    }

    showCatalogue();
    LoadTracklist();
    g.iBaseLoaded = true;
    prepareSearch();
}

void frmMain::showCatalogue()
{
    const int count = g.arTracks.count();
    if (g.arTracks.hasTracks()) {
        std::vector<int> tags(static_cast<size_t>(count));
        std::iota(tags.begin(), tags.end(), 1);
        lv->setSourceRows(recordSource(), std::move(tags));
        g.colAutoComplete.feed(g.arTracks);
        const int last = lv->count() - 1;
        lv->setSelectedRow(last);
        FillTexts(last);
        lv->ensureVisible(last);
    }
    setStatusText(QStringLiteral("Загружено ") + QString::number(count) + QStringLiteral(" треков"));
}

bool frmMain::SaveBase()
{
    bool ok = true;
    const QString path = g.baseFilePath();
    QString error;
    if (m_baseUnreadable) {
        reportWriteFailure(path, QStringLiteral("Файл не был прочитан при открытии базы."));
        ok = false;
    } else if (!BaseFiles::writeBase(path, g.arTracks, &error)) {
        reportWriteFailure(path, error);
        ok = false;
    }
    ok = SaveTracklist() && ok;
    // Every change of the catalogue is saved: the search index is brought up to date now, while the user
    // is not typing.
    prepareSearch();
    return ok;
}

void frmMain::LoadTracklist()
{
    QVector<FieldList> rows;
    const QString path = g.tracklistPath();
    const BaseFiles::ReadResult read = BaseFiles::readTracklist(path, lv2->columnCount(), rows);
    m_tracklistUnreadable = !read.ok;
    if (!read.exists || !read.ok)
        return;
    QVector<ListItem> items(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        items[i].texts = rows[i];
    lv2->setItems(std::move(items));
}

bool frmMain::SaveTracklist()
{
    const QString path = g.tracklistPath();
    if (m_tracklistUnreadable) {
        reportWriteFailure(path, QStringLiteral("Файл не был прочитан при открытии базы."));
        return false;
    }
    QVector<FieldList> rows;
    rows.reserve(lv2->count());
    for (const ListItem &item : lv2->items())
        rows.append(item.texts);
    QString error;
    if (!BaseFiles::writeTracklist(path, rows, lv2->columnCount(), &error)) {
        reportWriteFailure(path, error);
        return false;
    }
    return true;
}
