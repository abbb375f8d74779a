#include "moddialog.h"

#include <QFileDialog>
#include <QStringList>

#include <utility>

namespace moddialog {

namespace {

Answerer &installed()
{
    static Answerer answerer;
    return answerer;
}

QString run(QWidget *owner, const Request &request)
{
    if (const Answerer answerer = installed())
        return answerer(request);
    const std::unique_ptr<QFileDialog> dialog = createDialog(owner, request);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    return dialog->selectedFiles().constFirst();
}

} // namespace

std::unique_ptr<QFileDialog> createDialog(QWidget *owner, const Request &request)
{
    auto dialog =
        std::make_unique<QFileDialog>(owner, request.title, request.initialFolder, dialogFilter(request.filter));
    // Name patterns match without regard to case, as on the systems the bases come from.
    dialog->setFilter(dialog->filter() & ~QDir::CaseSensitive);
    if (request.folder) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
    } else if (request.save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        dialog->setDefaultSuffix(request.defaultExtension);
        if (!request.initialName.isEmpty())
            dialog->selectFile(request.initialName);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    return dialog;
}

QString dialogFilter(const QString &filter)
{
    QStringList parts = filter.split(QChar(0));
    while (!parts.isEmpty() && parts.constLast().isEmpty())
        parts.removeLast();
    if (parts.size() < 2)
        return parts.value(0);
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append(parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')'));
    return entries.join(QStringLiteral(";;"));
}

QString ShowOpen(QWidget *owner, const QString &initialFolder, const QString &title, const QString &filter)
{
    Request request;
    request.initialFolder = initialFolder;
    request.title = title;
    request.filter = filter;
    return run(owner, request);
}

QString ShowSave(QWidget *owner, const QString &initialFolder, const QString &title, const QString &filter,
                 const QString &defaultExtension, const QString &initialName)
{
    Request request;
    request.save = true;
    request.initialFolder = initialFolder;
    request.title = title;
    request.filter = filter;
    request.defaultExtension = defaultExtension;
    request.initialName = initialName;
    return run(owner, request);
}

QString ShowFolder(QWidget *owner, const QString &initialFolder, const QString &title)
{
    Request request;
    request.folder = true;
    request.initialFolder = initialFolder;
    request.title = title;
    return run(owner, request);
}

Answerer setAnswerer(Answerer answerer)
{
    return std::exchange(installed(), std::move(answerer));
}

} // namespace moddialog
