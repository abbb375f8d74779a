#include "LoadingLock.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace {

void collectActions(const QMenu *menu, QList<QAction *> &actions)
{
    for (QAction *action : menu->actions()) {
        actions.append(action);
        if (const QMenu *submenu = action->menu())
            collectActions(submenu, actions);
    }
}

} // namespace

LoadingLock::LoadingLock(const QList<QMenu *> &menus, const QList<QWidget *> &controls, QObject *parent)
    : QObject(parent)
{
    for (QMenu *menu : menus)
        m_menus.append(menu);
    for (QWidget *control : controls)
        m_controls.append(control);
}

void LoadingLock::lock()
{
    if (m_locked)
        return;
    m_locked = true;
    // Each item on its own, not just the menu: a disabled item's shortcut key does nothing either.
    QList<QAction *> actions;
    for (const QPointer<QMenu> &menu : std::as_const(m_menus)) {
        if (!menu)
            continue;
        actions.append(menu->menuAction()); // its title in the menu bar shows it greyed
        collectActions(menu, actions);
    }
    for (QAction *action : std::as_const(actions)) {
        if (action->isEnabled() && !action->isSeparator()) {
            action->setEnabled(false);
            m_lockedActions.append(action);
        }
    }
    for (const QPointer<QWidget> &control : std::as_const(m_controls)) {
        if (control && control->isEnabled()) {
            control->setEnabled(false);
            m_lockedControls.append(control);
        }
    }
}

void LoadingLock::unlock()
{
    if (!m_locked)
        return;
    m_locked = false;
    for (const QPointer<QAction> &action : std::as_const(m_lockedActions)) {
        if (action)
            action->setEnabled(true);
    }
    for (const QPointer<QWidget> &control : std::as_const(m_lockedControls)) {
        if (control)
            control->setEnabled(true);
    }
    m_lockedActions.clear();
    m_lockedControls.clear();
}
