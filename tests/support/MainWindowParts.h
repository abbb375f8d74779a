#pragma once

// The main window's controls, found by their object names the way a test of a finished program would:
// the window keeps them private.

#include "core/catalogue/Catalogue.h"
#include "ui/controls/SkinButton.h"
#include "ui/controls/SplitterBar.h"
#include "ui/main/BaseSession.h"
#include "ui/main/BasesCommands.h"
#include "ui/main/CatalogueList.h"
#include "ui/main/TextExportCommand.h"
#include "ui/main/TrackCommands.h"
#include "ui/main/TrackSearch.h"
#include "ui/main/TracklistPanel.h"
#include "ui/main/WindowGeometry.h"
#include "ui/main/frmMain.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

namespace MainParts {

// The child of `window` of type T named `name`; a missing one ends the test program, naming it.
template <class T> T *part(const QObject *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("The main window has no %s named \"%s\"", T::staticMetaObject.className(), name);
    return found;
}

inline ListView *lv(const frmMain *w)
{
    return part<ListView>(w, "lv");
}
inline ListView *lv2(const frmMain *w)
{
    return part<ListView>(w, "lv2");
}
inline QLineEdit *Text1(const frmMain *w)
{
    return part<QLineEdit>(w, "Text1");
}
inline SplitterBar *lr(const frmMain *w)
{
    return part<SplitterBar>(w, "lr");
}
inline QFrame *frame(const frmMain *w, const char *name)
{
    return part<QFrame>(w, name);
}
inline SkinButton *button(const frmMain *w, const char *name)
{
    return part<SkinButton>(w, name);
}
inline QAction *action(const frmMain *w, const char *name)
{
    return part<QAction>(w, name);
}
inline QMenu *menu(const frmMain *w, const char *name)
{
    return part<QMenu>(w, name);
}

// The items of the bases menu, one per base, in menu order.
inline QList<QAction *> baseItems(const frmMain *w)
{
    QList<QAction *> items;
    for (QAction *item : menu(w, "mnuDataBase")->actions()) {
        if (item->objectName().startsWith(QLatin1String("mnuSelectBase")))
            items.append(item);
    }
    return items;
}

// Changes one field of track `index` through the catalogue, as the editor would, without saving.
inline void changeField(Catalogue &catalogue, int index, int field, const QString &value)
{
    TrackRecord record = catalogue.at(index);
    record.set(field, value);
    catalogue.changeTrack(index, record);
}

} // namespace MainParts
