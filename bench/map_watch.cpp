// Starts a program and reports when its first window of a given name becomes viewable, from
// the X server's own events rather than by polling:
//
//   tempivo-map-watch NAME COMMAND [ARGUMENT...]
//
// prints "PID MILLISECONDS WINDOW" once a top-level window whose WM_NAME is NAME (or one of
// several names separated by "|") is mapped and
// viewable (its window manager's frame mapped too), counting from just before the exec. The
// program keeps running; the caller ends it.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <set>
#include <string>
#include <unistd.h>

namespace {

bool named(xcb_connection_t* c, xcb_window_t w, const std::string& names) {
    auto cookie = xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    if (!reply)
        return false;
    const std::string value(static_cast<const char*>(xcb_get_property_value(reply)),
                            size_t(xcb_get_property_value_length(reply)));
    std::free(reply);
    return !value.empty() && ("|" + names + "|").find("|" + value + "|") != std::string::npos;
}

bool viewable(xcb_connection_t* c, xcb_window_t w) {
    xcb_get_window_attributes_reply_t* a =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool result = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return result;
}

void watch(xcb_connection_t* c, xcb_window_t w) {
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, &mask);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s NAME COMMAND [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    const std::string name = argv[1];
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // in effect now

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        close(xcb_get_file_descriptor(c));
        execvp(argv[2], argv + 2);
        _exit(127);
    }

    // New top-level windows are created as children of the root, then reparented into a frame
    // and mapped; watch each from its creation and test it after every map on the screen.
    std::set<xcb_window_t> candidates;
    auto found = [&] {
        for (xcb_window_t w : candidates) {
            if (viewable(c, w) && named(c, w, name)) {
                const double ms = std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - start)
                                      .count();
                std::printf("%d %.1f 0x%x\n", int(pid), ms, unsigned(w));
                return true;
            }
        }
        return false;
    };
    pollfd connection{xcb_get_file_descriptor(c), POLLIN, 0};
    for (;;) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (!event) {
            if (xcb_connection_has_error(c))
                return 1;
            // A window mapped before its watch was in place sends nothing more: look again
            // after a quiet spell.
            if (poll(&connection, 1, 20) == 0 && found())
                return 0;
            continue;
        }
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event);
            if (e->parent == root) {
                candidates.insert(e->window);
                watch(c, e->window);
            }
        }
        std::free(event);
        if ((type == XCB_MAP_NOTIFY || type == XCB_PROPERTY_NOTIFY) && found())
            return 0;
    }
}
