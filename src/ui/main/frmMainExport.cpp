// Writing the shown track list, or the Tracklist, to a text file.
#include "frmMain.h"

#include "core/catalogue/BaseFiles.h"
#include "core/text/TextExport.h"
#include "ui/platform/ListView.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/moddialog.h"

#include <QAction>
#include <QDir>

void frmMain::connectExport()
{
    connect(mnuExportFile, &QAction::triggered, this,
            [this] { exportList(lv, QStringLiteral("Экспорт текущего списка в текстовый файл")); });
    connect(mnuExportFile2, &QAction::triggered, this,
            [this] { exportList(lv2, QStringLiteral("Экспорт списка отборных треков в текстовый файл")); });
}

bool frmMain::exportList(ListView *list, const QString &title)
{
    if (list->count() == 0)
        return false;
    const QString chosen =
        moddialog::ShowSave(this, QDir::cleanPath(g.sAppPath), title, QStringLiteral("*.txt"), QString(), QString());
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
        reportWriteFailure(path, error);
        return false;
    }
    MsgBox::show(this, QStringLiteral("Готово!"), MsgBox::OkOnly, MsgBox::Information, MsgBox::FirstButton, QString());
    return true;
}
