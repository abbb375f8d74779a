#include "TextExportCommand.h"

#include "BaseSession.h"
#include "core/catalogue/BaseFiles.h"
#include "core/settings/ProgramPaths.h"
#include "core/text/TextExport.h"
#include "ui/platform/ListView.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/moddialog.h"

#include <QDir>
#include <QWidget>

TextExportCommand::TextExportCommand(const ProgramPaths &paths, BaseSession *session, QWidget *owner)
    : QObject(owner), m_paths(paths), m_session(session), m_owner(owner)
{}

bool TextExportCommand::exportList(ListView *list, const QString &title)
{
    if (list->count() == 0)
        return false;
    const QString chosen = moddialog::ShowSave(m_owner, QDir::cleanPath(m_paths.sAppPath), title,
                                               QStringLiteral("*.txt"), QString(), QString());
    if (chosen.isEmpty())
        return false;
    const QString path = TextExport::withTxtExtension(chosen);
    QStringList captions;
    for (int c = 0; c < list->columnCount(); ++c)
        captions.append(list->columnText(c));
    const QByteArray content = TextExport::content(captions, list->count(),
                                                   [list](int row, int column) { return list->itemText(row, column); });
    QString error;
    if (!BaseFiles::writeFileAtomically(path, content, &error)) {
        m_session->reportWriteFailure(path, error);
        return false;
    }
    MsgBox::show(m_owner, QStringLiteral("Готово!"), MsgBox::OkOnly, MsgBox::Information, MsgBox::FirstButton,
                 QString());
    return true;
}
