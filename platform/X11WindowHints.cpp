#include "platform/X11WindowHints.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

// The X connection, or none off X11: the offscreen platform answers the X11 interface too,
// with a null connection.
xcb_connection_t* connection() {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    return c && !xcb_connection_has_error(c) ? c : nullptr;
}

xcb_screen_t* rootScreen(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data;
}

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A property of 32-bit items of the given type; empty when missing or of another type.
QList<uint32_t> property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                           xcb_atom_t type, uint32_t maxItems = 64) {
    QList<uint32_t> items;
    const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, maxItems), nullptr));
    if (reply && reply->type == type && reply->format == 32) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        items = QList<uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }
    return items;
}

void setProperty32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                   const QList<uint32_t>& items) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        static_cast<uint32_t>(items.size()), items.constData());
}

bool supported(xcb_connection_t* c, const char* name) {
    const xcb_window_t root = rootScreen(c)->root;
    return property32(c, root, internAtom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 4096)
        .contains(internAtom(c, name));
}

// A request to the window manager about the window, as the EWMH sends them.
void sendToRoot(xcb_connection_t* c, xcb_window_t window, const char* message,
                std::initializer_list<uint32_t> data) {
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = internAtom(c, message);
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(c, 0, rootScreen(c)->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

void addOnce(QList<uint32_t>& atoms, xcb_atom_t atom) {
    if (!atoms.contains(atom))
        atoms.append(atom);
}

// Qt keeps each screen's top-left corner at its X position and scales from there.
QPoint toLogical(const QScreen* screen, const QPoint& native) {
    const QPoint origin = screen->geometry().topLeft();
    return origin + (native - origin) / screen->devicePixelRatio();
}

constexpr uint32_t allDesktops = 0xFFFFFFFF;
constexpr uint32_t sourcePager = 2;

} // namespace

void X11WindowHints::markAsUtility(QWindow* window) {
    xcb_connection_t* c = connection();
    if (!c || !window)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());

    // Qt writes the type from its window flags (Qt::Tool would do, but makes Qt lose the
    // window's position), and taskbars list every window that does not ask to be skipped.
    setProperty32(c, id, internAtom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                  {internAtom(c, "_NET_WM_WINDOW_TYPE_UTILITY")});

    // Qt keeps the states it does not manage itself when it maps the window.
    const xcb_atom_t state = internAtom(c, "_NET_WM_STATE");
    QList<uint32_t> states = property32(c, id, state, XCB_ATOM_ATOM);
    for (const char* name :
         {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_STICKY"})
        addOnce(states, internAtom(c, name));
    setProperty32(c, id, state, XCB_ATOM_ATOM, states);
    setProperty32(c, id, internAtom(c, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, {allDesktops});

    // Qt offers WM_TAKE_FOCUS even where the input hint says no; icewm and fluxbox then keep
    // the window in their Alt+Tab cycle, where it can take no focus and holds the cycle.
    if (window->flags().testFlag(Qt::WindowDoesNotAcceptFocus)) {
        const xcb_atom_t protocols = internAtom(c, "WM_PROTOCOLS");
        QList<uint32_t> offered = property32(c, id, protocols, XCB_ATOM_ATOM);
        offered.removeAll(internAtom(c, "WM_TAKE_FOCUS"));
        setProperty32(c, id, protocols, XCB_ATOM_ATOM, offered);
    }
    xcb_flush(c);
}

void X11WindowHints::skipTaskbar(QWindow* window) {
    xcb_connection_t* c = connection();
    if (!c || !window)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t state = internAtom(c, "_NET_WM_STATE");
    QList<uint32_t> states = property32(c, id, state, XCB_ATOM_ATOM);
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        addOnce(states, internAtom(c, name));
    setProperty32(c, id, state, XCB_ATOM_ATOM, states);
    xcb_flush(c);
}

void X11WindowHints::raise(QWindow* window) {
    xcb_connection_t* c = connection();
    if (!c || !window || !window->isVisible())
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    if (supported(c, "_NET_RESTACK_WINDOW"))
        sendToRoot(c, id, "_NET_RESTACK_WINDOW", {sourcePager, XCB_NONE, XCB_STACK_MODE_ABOVE});
    // fluxbox takes the restack request and does nothing; activation raises everywhere, and a
    // window that takes no focus gets no keyboard from it.
    if (window->flags().testFlag(Qt::WindowDoesNotAcceptFocus))
        sendToRoot(c, id, "_NET_ACTIVE_WINDOW", {sourcePager, XCB_CURRENT_TIME, XCB_NONE});
    xcb_flush(c);
}

namespace {

// The window's rectangle on the root window, when it is shown.
std::optional<QRect> shownRect(xcb_connection_t* c, xcb_window_t window) {
    const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return std::nullopt;
    const ReplyPtr<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    const ReplyPtr<xcb_translate_coordinates_reply_t> at(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, rootScreen(c)->root, 0, 0), nullptr));
    if (!geometry || !at)
        return std::nullopt;
    // With the title bar and border the window manager draws round it.
    const QList<uint32_t> frame =
        property32(c, window, internAtom(c, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4);
    const QMargins margins =
        frame.size() == 4 ? QMargins(int(frame[0]), int(frame[2]), int(frame[1]), int(frame[3]))
                          : QMargins();
    return QRect(at->dst_x, at->dst_y, geometry->width, geometry->height).marginsAdded(margins);
}

} // namespace

bool X11WindowHints::isCovered(QWindow* window) {
    xcb_connection_t* c = connection();
    if (!c || !window || !window->handle())
        return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const QList<uint32_t> stacking = property32(
        c, rootScreen(c)->root, internAtom(c, "_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, 4096);
    const std::optional<QRect> own = shownRect(c, id);
    const qsizetype from = stacking.indexOf(id);
    if (!own || from < 0)
        return false;
    for (qsizetype i = from + 1; i < stacking.size(); ++i) {
        const std::optional<QRect> other = shownRect(c, stacking[i]);
        if (other && other->intersects(*own))
            return true;
    }
    return false;
}

bool X11WindowHints::isWithdrawn(QWindow* window) {
    xcb_connection_t* c = connection();
    if (!c || !window)
        return true;
    const xcb_atom_t wmState = internAtom(c, "WM_STATE");
    const QList<uint32_t> state =
        property32(c, static_cast<xcb_window_t>(window->winId()), wmState, wmState, 1);
    constexpr uint32_t withdrawn = 0;
    return state.isEmpty() || state.first() == withdrawn;
}

std::optional<QPoint> X11WindowHints::reportedPosition(QWindow* window) {
    xcb_connection_t* c = connection();
    if (!c || !window || !window->handle() || !window->screen())
        return std::nullopt;
    const ReplyPtr<xcb_translate_coordinates_reply_t> reply(xcb_translate_coordinates_reply(
        c,
        xcb_translate_coordinates(c, static_cast<xcb_window_t>(window->winId()),
                                  rootScreen(c)->root, 0, 0),
        nullptr));
    if (!reply)
        return std::nullopt;
    return toLogical(window->screen(), QPoint(reply->dst_x, reply->dst_y));
}

std::optional<bool> X11WindowHints::pointerButtonDown() {
    xcb_connection_t* c = connection();
    if (!c)
        return std::nullopt;
    const ReplyPtr<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, rootScreen(c)->root), nullptr));
    if (!reply)
        return std::nullopt;
    constexpr uint16_t buttons = XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2 |
                                 XCB_KEY_BUT_MASK_BUTTON_3 | XCB_KEY_BUT_MASK_BUTTON_4 |
                                 XCB_KEY_BUT_MASK_BUTTON_5;
    return (reply->mask & buttons) != 0;
}

std::optional<QMargins> X11WindowHints::frameExtents(QWindow* window) {
    xcb_connection_t* c = connection();
    if (!c || !window || !window->screen())
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t extents = internAtom(c, "_NET_FRAME_EXTENTS");
    QList<uint32_t> ltrb = property32(c, id, extents, XCB_ATOM_CARDINAL, 4);
    if (ltrb.size() != 4 && supported(c, "_NET_REQUEST_FRAME_EXTENTS")) {
        sendToRoot(c, id, "_NET_REQUEST_FRAME_EXTENTS", {});
        xcb_flush(c);
        // The window manager answers at once; a busy one may take a moment.
        for (int wait = 0; wait < 50 && ltrb.size() != 4; ++wait) {
            QThread::msleep(4);
            ltrb = property32(c, id, extents, XCB_ATOM_CARDINAL, 4);
        }
    }
    if (ltrb.size() != 4)
        return std::nullopt;
    const qreal ratio = window->screen()->devicePixelRatio();
    auto logical = [ratio](uint32_t px) { return qRound(px / ratio); };
    return QMargins(logical(ltrb[0]), logical(ltrb[2]), logical(ltrb[1]), logical(ltrb[3]));
}

QRect X11WindowHints::unreserved(const QRect& monitor, const QSize& root,
                                 const QList<QList<uint32_t>>& struts) {
    QRect free = monitor;
    auto span = [](uint32_t from, uint32_t to) { return int(to) - int(from) + 1; };
    for (QList<uint32_t> s : struts) {
        if (s.size() == 4) {
            const auto h = uint32_t(root.height() - 1), w = uint32_t(root.width() - 1);
            s += {0, h, 0, h, 0, w, 0, w};
        }
        if (s.size() != 12)
            continue;
        const int left = int(s[0]), right = int(s[1]), top = int(s[2]), bottom = int(s[3]);
        if (left > 0 && monitor.intersects(QRect(0, int(s[4]), left, span(s[4], s[5]))))
            free.setLeft(std::max(free.left(), left));
        if (right > 0 &&
            monitor.intersects(QRect(root.width() - right, int(s[6]), right, span(s[6], s[7]))))
            free.setRight(std::min(free.right(), root.width() - right - 1));
        if (top > 0 && monitor.intersects(QRect(int(s[8]), 0, span(s[8], s[9]), top)))
            free.setTop(std::max(free.top(), top));
        if (bottom > 0 && monitor.intersects(QRect(int(s[10]), root.height() - bottom,
                                                   span(s[10], s[11]), bottom)))
            free.setBottom(std::min(free.bottom(), root.height() - bottom - 1));
    }
    return free;
}

QRect X11WindowHints::freeArea(QScreen* screen) {
    if (!screen)
        return {};
    // Qt takes _NET_WORKAREA, which is exact for one monitor but spans them all when a panel
    // sits on one of several.
    const QRect qtArea = screen->availableGeometry();
    xcb_connection_t* c = connection();
    if (!c)
        return qtArea;
    const xcb_screen_t* root = rootScreen(c);
    const QRect logical = screen->geometry();
    const QRect monitor(logical.topLeft(), logical.size() * screen->devicePixelRatio());

    const xcb_atom_t partial = internAtom(c, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t plain = internAtom(c, "_NET_WM_STRUT");
    QList<QList<uint32_t>> struts;
    for (const uint32_t client :
         property32(c, root->root, internAtom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 4096)) {
        QList<uint32_t> strut = property32(c, client, partial, XCB_ATOM_CARDINAL, 12);
        if (strut.size() != 12)
            strut = property32(c, client, plain, XCB_ATOM_CARDINAL, 4);
        struts.append(strut);
    }
    const QRect free =
        unreserved(monitor, QSize(root->width_in_pixels, root->height_in_pixels), struts);
    if (free.isEmpty())
        return qtArea;
    const QRect freeLogical(toLogical(screen, free.topLeft()),
                            toLogical(screen, free.bottomRight() + QPoint(1, 1)) - QPoint(1, 1));
    const QRect both = qtArea & freeLogical;
    return both.isEmpty() ? qtArea : both;
}
