#include "Modal.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <utility>

namespace Modal {

namespace {

Driver &installedDriver()
{
    static Driver instance;
    return instance;
}

} // namespace

int show(QDialog *dialog, QWidget *owner)
{
    if (!dialog)
        return QDialog::Rejected;

    // A dialog built without a parent is put over its owner for the time it is shown, so that it stays on
    // top of it and is centred on it. The one-argument setParent() would clear the window type and turn
    // the dialog into a plain child widget, so the flags go along explicitly. The dialog is given back its
    // parentless state afterwards: it outlives this call and must not be deleted with a short-lived owner.
    const bool adopted = owner && !dialog->parentWidget() && owner->window() != dialog;
    if (adopted)
        dialog->setParent(owner, dialog->windowFlags());
    dialog->setWindowModality(Qt::ApplicationModal);

    // Copied: the driver may install another one, or show a further dialog, while it runs.
    if (const Driver driver = installedDriver()) {
        // Posted now, delivered by the event loop exec() is about to start, after the dialog is shown.
        QTimer::singleShot(0, dialog, [driver, dialog] { driver(dialog); });
    }

    const QPointer<QDialog> guard(dialog);
    const int result = dialog->exec();

    if (adopted && guard && guard->parentWidget() == owner)
        guard->setParent(nullptr, guard->windowFlags());
    return result;
}

Driver setDriver(Driver driver)
{
    return std::exchange(installedDriver(), std::move(driver));
}

} // namespace Modal
