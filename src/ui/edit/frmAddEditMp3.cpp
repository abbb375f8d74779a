// The editor's MP3 buttons: "Из тега MP3" fills artist, title, album, comment and duration from a file's
// tag and first frame; "В тег MP3" writes artist, title, album and comment (and the style as a genre
// number) into a file's ID3v1 tag, keeping the file's own year. Both go through the program's one tag buffer.
#include "core/catalogue/Catalogue.h"
#include "core/edit/EditorRules.h"
#include "core/edit/EditorState.h"
#include "core/media/MpegStreamInfo.h"
#include "core/media/modMP3Tags.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/ProgramPaths.h"
#include "core/text/Cp1251.h"
#include "frmAddEdit.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/moddialog.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

namespace {

// The boxes that meet the tag's text fields, with the buffer field each fills or is filled from.
struct TagBox
{
    TrackRecord::Field field;
    QString modMP3Tags::TagBuffer::*tagField;
};
const TagBox kTagBoxes[] = {
    {TrackRecord::Artist, &modMP3Tags::TagBuffer::Artist},
    {TrackRecord::Title, &modMP3Tags::TagBuffer::Title},
    {TrackRecord::Album, &modMP3Tags::TagBuffer::Album},
    {TrackRecord::Comment, &modMP3Tags::TagBuffer::Comment},
};

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString frmAddEdit::chooseMp3File()
{
    return moddialog::ShowOpen(this, m_paths.sMp3Folder, QString(),
                               QStringLiteral("MP3 File") + QChar(0) + QStringLiteral("*.mp3") + QChar(0));
}

void frmAddEdit::Command4_Click()
{
    const QString path = chooseMp3File();
    if (path.isEmpty())
        return;
    // From now on the dialogs open where the last one left off.
    m_paths.sMp3Folder.clear();

    const bool tagged = modMP3Tags::ReadTag(path, m_editor.tagBuffer);
    const MpegStreamInfo info = MpegStreamInfo::read(path);
    if (!info.error.isEmpty()) {
        // Neither the tag nor the stream could be read: the boxes are left as they are.
        MsgBox::show(this,
                     QStringLiteral("Не удалось прочитать файл \"%1\".\r\n%2")
                         .arg(nativePath(path), MsgBox::asSentence(info.error)),
                     MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QStringLiteral("Ошибка чтения"));
        return;
    }
    if (!info.headerFound) {
        MsgBox::show(this, QStringLiteral("Not a MP3 file..."), MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton,
                     QStringLiteral("Error..."));
    }

    // A file without a tag has no texts to give: the boxes keep what they hold, not the last file's texts
    // that the buffer still holds. Locked boxes (the CD's own values during album entry) are never filled.
    AutoDisable = true;
    const auto fill = [this](TrackRecord::Field field, const QString &text) {
        if (txt[boxOf(field)]->isEnabled())
            setFieldText(boxOf(field), text);
    };
    if (tagged) {
        for (const TagBox &box : kTagBoxes)
            fill(box.field, modMP3Tags::fieldText(m_editor.tagBuffer.*box.tagField));
    }
    // A file with no play time (no frame, no bit rate, an empty VBR stream) keeps the duration typed.
    if (info.seconds >= 0)
        fill(TrackRecord::Duration, EditorRules::durationText(info.seconds));
    AutoDisable = false;
}

void frmAddEdit::Command5_Click()
{
    const QString path = chooseMp3File();
    if (path.isEmpty())
        return;
    if (!confirmTagText())
        return;

    for (const TagBox &box : kTagBoxes)
        m_editor.tagBuffer.*box.tagField = modMP3Tags::fixedField(fieldText(boxOf(box.field)), modMP3Tags::kTextWidth);
    const modMP3Tags::WriteResult result =
        modMP3Tags::WriteTag(path, m_editor.tagBuffer, fieldText(boxOf(TrackRecord::Style)));
    if (!result.ok()) {
        // The file is said to be unchanged only when it is; when its old bytes could not be put back, the
        // reason says that it may have changed.
        QString text = QStringLiteral("Не удалось записать тег MP3 в файл \"%1\".\r\n%2")
                           .arg(nativePath(path), MsgBox::asSentence(result.error));
        if (result.fileKept && QFileInfo(path).isFile())
            text += QStringLiteral("\r\nФайл остался без изменений.");
        MsgBox::show(this, text, MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton,
                     QStringLiteral("Ошибка записи"));
    }
}

bool frmAddEdit::confirmTagText()
{
    // The tag holds the code page's characters only: the others are written as base files write them,
    // after the user has seen how.
    QStringList texts;
    for (const TagBox &box : kTagBoxes)
        texts.append(fieldText(boxOf(box.field)).left(modMP3Tags::kTextWidth));
    const QStringList changes = Cp1251::roundTripChanges(texts);
    if (changes.isEmpty())
        return true;
    return MsgBox::confirm(this,
                           QStringLiteral("Некоторые символы нельзя записать в тег MP3, они будут записаны так:\r\n") +
                               changes.join(QStringLiteral("\r\n")) + QStringLiteral("\r\nЗаписать тег?"));
}
