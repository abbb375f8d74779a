// Reading and writing the open base and the Tracklist.
#include "frmMain.h"

#include "core/catalogue/BaseFiles.h"
#include "ui/platform/ListView.h"
#include "ui/platform/MsgBox.h"

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

void frmMain::reloadRestoredBase()
{
    const bool tracklistSaved = SaveTracklist();
    if (m_baseUnsaved || !tracklistSaved) {
        const QString loss =
            m_baseUnsaved
                ? QStringLiteral("Последние изменения базы не удалось сохранить: если загрузить базу из файла, они "
                                 "пропадут, а если не загружать, восстановленная база будет перезаписана при "
                                 "следующем сохранении.")
                : QStringLiteral("Tracklist не удалось сохранить: если загрузить базу из файла, строки, добавленные в "
                                 "него после последнего сохранения, пропадут.");
        if (!MsgBox::confirm(this, loss + QStringLiteral("\r\n\r\nВы действительно хотите загрузить базу из файла?")))
            return;
    }
    LoadCurentH();
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
    m_baseUnsaved = false;
    if (!read.ok) {
        MsgBox::show(this,
                     QStringLiteral("Не удалось прочитать файл базы \"%1\".\r\n%2\r\n"
                                    "Файл не будет перезаписан, пока его не удастся прочитать.")
                         .arg(QDir::toNativeSeparators(path), read.error),
                     MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Ошибка чтения"));
    }

    showCatalogue();
    LoadTracklist();
    g.iBaseLoaded = true;
    prepareSearch();
    // Before anything is written: what the files hold that the next save will drop or change.
    reportLosses(
        {{path, read.losses, TrackRecord::kFieldCount}, {g.tracklistPath(), m_tracklistLosses, lv2->columnCount()}});
}

void frmMain::reportLosses(const QVector<FileLosses> &files)
{
    QString text;
    for (const FileLosses &file : files) {
        const BaseFiles::Losses &l = file.losses;
        if (!l.any())
            continue;
        text += QStringLiteral("\r\nФайл «%1»:").arg(QDir::toNativeSeparators(file.path));
        if (l.otherEncoding)
            text +=
                QStringLiteral("\r\n– записан в кодировке UTF-8, а не Windows-1251: русские буквы показаны неверно, "
                               "а всё новое будет записано в Windows-1251;");
        if (l.longLines > 0)
            text += QStringLiteral("\r\n– строк, в которых больше %1 полей: %2 (первая — строка %3); поля после %1-го "
                                   "не сохранятся;")
                        .arg(file.fields)
                        .arg(l.longLines)
                        .arg(l.firstLongLine);
        if (l.droppedLines > 0)
            text += QStringLiteral("\r\n– строк с пустым полем «%1», но с другим текстом: %2 (первая — строка %3); "
                                   "эти строки не сохранятся;")
                        .arg(g.arColumns[0].caption)
                        .arg(l.droppedLines)
                        .arg(l.firstDroppedLine);
    }
    if (text.isEmpty())
        return;
    text.chop(1);
    MsgBox::show(this,
                 QStringLiteral("Не всё, что есть в файлах, будет сохранено при следующей записи базы.\r\n") + text +
                     QStringLiteral(".\r\n\r\nЕсли эти данные нужны, скопируйте файл, прежде чем менять базу или "
                                    "закрывать программу."),
                 MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Внимание!"));
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
    m_baseUnsaved = !ok;
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
    // Told when it becomes unreadable (at start, usually), not again at every later load.
    if (!read.ok && !m_tracklistUnreadable)
        tellTracklistUnreadable(path, read.error);
    m_tracklistUnreadable = !read.ok;
    m_tracklistLosses = read.losses;
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
