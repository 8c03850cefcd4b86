#include "platform/X11WindowHints.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

QList<xcb_atom_t> atomList(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
    QList<xcb_atom_t> atoms;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 64);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (reply && reply->type == XCB_ATOM_ATOM && reply->format == 32) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        atoms = QList<xcb_atom_t>(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return atoms;
}

void setAtomList(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                 const QList<xcb_atom_t>& atoms) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(atoms.size()), atoms.constData());
}

} // namespace

void X11WindowHints::markAsUtility(QWindow* window) {
    // Other platforms (offscreen) offer the X11 interface too, with no connection behind it.
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());

    // Qt writes the type from its window flags (Qt::Tool would do, but makes Qt lose the
    // window's position), and taskbars list every window that does not ask to be skipped.
    setAtomList(connection, id, internAtom(connection, "_NET_WM_WINDOW_TYPE"),
                {internAtom(connection, "_NET_WM_WINDOW_TYPE_UTILITY")});

    // Qt keeps the states it does not manage itself when it maps the window.
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    QList<xcb_atom_t> states = atomList(connection, id, state);
    for (const char* skip : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t atom = internAtom(connection, skip);
        if (!states.contains(atom))
            states.append(atom);
    }
    setAtomList(connection, id, state, states);
    xcb_flush(connection);
}
