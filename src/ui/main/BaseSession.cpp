#include "BaseSession.h"

#include "TracklistPanel.h"
#include "core/catalogue/BaseLoader.h"
#include "core/catalogue/Catalogue.h"
#include "core/settings/ProgramPaths.h"
#include "ui/platform/MsgBox.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

BaseSession::BaseSession(Catalogue &catalogue, const ProgramPaths &paths, TracklistPanel *tracklist, QWidget *owner)
    : QObject(owner), m_catalogue(catalogue), m_paths(paths), m_tracklist(tracklist), m_owner(owner),
      m_loader(new BaseLoader(this))
{
    connect(m_loader, &BaseLoader::piecesReady, this, &BaseSession::takeLoadedPieces);
    connect(m_loader, &BaseLoader::finished, this, [this](const BaseFiles::ReadResult &read) {
        m_catalogue.finishLoading();
        baseRead(m_loadingPath, read);
    });
}

bool BaseSession::isLoading() const
{
    return m_loader->isRunning();
}

void BaseSession::LoadBase()
{
    // A load under way gives way to this one: nothing of it was changed or written.
    m_loader->cancel();
    const QString path = m_paths.baseFilePath();
    m_baseUnsaved = false;
    if (QFileInfo(path).size() < kBackgroundLoadFrom) {
        baseRead(path, m_catalogue.readBase(path));
        return;
    }
    // The base is read while the window goes on: the first tracks show at once, the rest as they come.
    m_loadingPath = path;
    m_baseUnreadable = false;
    m_catalogue.startLoading();
    Q_EMIT loadStarted();
    m_loader->start(path);
}

void BaseSession::takeLoadedPieces()
{
    for (TrackTable &piece : m_loader->takePieces())
        m_catalogue.appendLoaded(std::move(piece), m_loader->expectedTracks());
}

void BaseSession::baseRead(const QString &path, const BaseFiles::ReadResult &read)
{
    m_baseUnreadable = !read.ok;
    if (!read.ok) {
        MsgBox::show(m_owner,
                     QStringLiteral("Не удалось прочитать файл базы \"%1\".\r\n%2\r\n"
                                    "Файл не будет перезаписан, пока его не удастся прочитать.")
                         .arg(QDir::toNativeSeparators(path), read.error),
                     MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Ошибка чтения"));
    }
    const BaseFiles::Losses tracklistLosses = m_tracklist->LoadTracklist(m_paths.tracklistPath());
    // Before anything is written: what the files hold that the next save will drop or change.
    reportLosses({{path, read.losses, TrackRecord::kFieldCount},
                  {m_paths.tracklistPath(), tracklistLosses, m_tracklist->columnCount()}});
    Q_EMIT loadFinished(m_catalogue.count());
}

void BaseSession::reportLosses(const QVector<FileLosses> &files)
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
                        .arg(Catalogue::arColumns()[0].caption)
                        .arg(l.droppedLines)
                        .arg(l.firstDroppedLine);
    }
    if (text.isEmpty())
        return;
    text.chop(1);
    MsgBox::show(m_owner,
                 QStringLiteral("Не всё, что есть в файлах, будет сохранено при следующей записи базы.\r\n") + text +
                     QStringLiteral(".\r\n\r\nЕсли эти данные нужны, скопируйте файл, прежде чем менять базу или "
                                    "закрывать программу."),
                 MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Внимание!"));
}

bool BaseSession::SaveBase()
{
    // Part of the base is read: writing it now would cut the file short.
    if (isLoading())
        return false;
    bool ok = true;
    const QString path = m_paths.baseFilePath();
    QString error;
    if (m_baseUnreadable) {
        reportWriteFailure(path, QStringLiteral("Файл не был прочитан при открытии базы."));
        ok = false;
    } else if (!m_catalogue.writeBase(path, &error)) {
        reportWriteFailure(path, error);
        ok = false;
    }
    m_baseUnsaved = !ok;
    return SaveTracklist() && ok;
}

bool BaseSession::SaveTracklist()
{
    if (isLoading())
        return false;
    const QString path = m_paths.tracklistPath();
    QString error;
    if (!m_tracklist->SaveTracklist(path, &error)) {
        reportWriteFailure(path, error);
        return false;
    }
    return true;
}

void BaseSession::reloadRestoredBase()
{
    if (isLoading()) {
        LoadBase(); // nothing read so far was changed: the restored file is read afresh
        return;
    }
    const bool tracklistSaved = SaveTracklist();
    if (m_baseUnsaved || !tracklistSaved) {
        const QString loss =
            m_baseUnsaved
                ? QStringLiteral("Последние изменения базы не удалось сохранить: если загрузить базу из файла, они "
                                 "пропадут, а если не загружать, восстановленная база будет перезаписана при "
                                 "следующем сохранении.")
                : QStringLiteral("Tracklist не удалось сохранить: если загрузить базу из файла, строки, добавленные в "
                                 "него после последнего сохранения, пропадут.");
        if (!MsgBox::confirm(m_owner,
                             loss + QStringLiteral("\r\n\r\nВы действительно хотите загрузить базу из файла?")))
            return;
    }
    LoadBase();
}

bool BaseSession::saveOrLetGo(const QString &question)
{
    // While the base is still being read nothing of it was changed: there is nothing to save (the next
    // LoadBase() lets the load go).
    if (isLoading())
        return true;
    // When the save fails, the tracks in memory are the only copy of the changes: they are let go only
    // when the user says so, knowing which files were not written.
    m_failedWrites.clear();
    if (SaveBase())
        return true;
    QStringList names;
    for (const QString &path : std::as_const(m_failedWrites))
        names.append(QStringLiteral("«") + QDir::toNativeSeparators(path) + QStringLiteral("»"));
    const QString what = names.size() == 1
                             ? QStringLiteral("не удалось записать файл ") + names.first()
                             : QStringLiteral("не удалось записать файлы ") + names.join(QStringLiteral(", "));
    return MsgBox::confirm(m_owner,
                           QStringLiteral("Изменения не сохранены: ") + what + QStringLiteral(".\r\n") + question);
}

bool BaseSession::saveForClose()
{
    if (isLoading()) {
        m_loader->cancel(); // a close while the base is read writes nothing
        return true;
    }
    if (!m_saveOnClose) {
        SaveTracklist();
        return true;
    }
    return saveOrLetGo(QStringLiteral("Всё равно закрыть программу?"));
}

void BaseSession::reportWriteFailure(const QString &path, const QString &reason)
{
    m_failedWrites.append(path);
    // A failed write never touches the file it was to replace: whatever is there now was there before.
    QString text = QStringLiteral("Не удалось записать файл \"%1\".\r\n%2")
                       .arg(QDir::toNativeSeparators(path), MsgBox::asSentence(reason));
    if (QFileInfo::exists(path))
        text += QStringLiteral("\r\nПрежнее содержимое файла осталось без изменений.");
    MsgBox::show(m_owner, text, MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QStringLiteral("Ошибка записи"));
}
