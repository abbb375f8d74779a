#include "BoxPaste.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

BoxPaste::BoxPaste(QObject *parent) : QObject(parent) {}

bool BoxPaste::handle(QLineEdit *box, QEvent *event)
{
    if (box->isReadOnly())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (!static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste))
            return false;
        paste(box);
        return true;
    case QEvent::MouseButtonRelease:
        // The middle button pastes the selection at the caret the press put under the pointer.
        if (static_cast<QMouseEvent *>(event)->button() != Qt::MiddleButton ||
            !QGuiApplication::clipboard()->supportsSelection())
            return false;
        box->deselect();
        paste(box, QClipboard::Selection);
        return true;
    case QEvent::ContextMenu: {
        // The box's own menu, with its "Paste" made here.
        QMenu *menu = box->createStandardContextMenu();
        if (QAction *action = pasteAction(menu)) {
            action->disconnect(box);
            connect(action, &QAction::triggered, box, [this, box] { paste(box); });
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    default:
        return false;
    }
}

QAction *BoxPaste::pasteAction(const QMenu *menu)
{
    // Named since Qt 6.5; before, known by its (translated) text, "&Paste" and its shortcut.
    if (auto *named = menu->findChild<QAction *>(QStringLiteral("edit-paste")))
        return named;
    const QString text = QCoreApplication::translate("QLineEdit", "&Paste");
    for (QAction *action : menu->actions()) {
        if (action->text() == text || action->text().startsWith(text + QLatin1Char('\t')))
            return action;
    }
    return nullptr;
}

void BoxPaste::paste(QLineEdit *box, QClipboard::Mode mode)
{
    const QString text = QGuiApplication::clipboard()->text(mode);
    if (text.isEmpty() && !box->hasSelectedText())
        return;
    const int room = box->maxLength() - int(box->text().size() - box->selectedText().size());
    box->insert(text);
    if (text.size() > room)
        Q_EMIT cut(box, int(text.size()), qMax(room, 0));
}
