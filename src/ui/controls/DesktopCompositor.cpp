#include "DesktopCompositor.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstdlib>
#include <xcb/xcb.h>

namespace {

// The number of the X screen the program shows on: the part of the display name after its last dot
// (":0.1" is screen 1), 0 when it names none.
int screenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.lastIndexOf('.');
    return dot > colon ? display.mid(dot + 1).toInt() : 0;
}

} // namespace

bool DesktopCompositor::translucentWindows()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return true;
    // A compositing manager owns the selection _NET_WM_CM_S<screen> while it runs.
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screenNumber());
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr);
    if (!atom)
        return true;
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool composed = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return composed;
}
