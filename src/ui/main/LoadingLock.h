#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QWidget;

// While a base is being read, the commands that would change, save or replace it are out of reach:
// every item of the given menus (their submenus too) and the given controls are disabled, and given
// back as they were once the load is over.
class LoadingLock : public QObject
{
    Q_OBJECT

public:
    LoadingLock(const QList<QMenu *> &menus, const QList<QWidget *> &controls, QObject *parent);

    void lock();
    void unlock();
    bool isLocked() const { return m_locked; }

private:
    QList<QPointer<QMenu>> m_menus;
    QList<QPointer<QWidget>> m_controls;
    // What was enabled before the lock, and is enabled again after it.
    QList<QPointer<QAction>> m_lockedActions;
    QList<QPointer<QWidget>> m_lockedControls;
    bool m_locked = false;
};
