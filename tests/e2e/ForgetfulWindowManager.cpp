// A window manager that leaves each window's first request to be mapped unanswered, as openbox
// has been seen to now and then, and maps the window when it is asked again. Requests to move
// or resize are granted as asked; nothing else is done.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace {

constexpr std::uint8_t kEventCode = 0x7F; // the event code without the sent-by-a-client bit
const char* const kSupportingCheck = "_NET_SUPPORTING_WM_CHECK";

// Claims the root window's redirects, and says so where clients look for a window manager.
bool Annex(xcb_connection_t* connection, const xcb_screen_t& screen) {
    const std::uint32_t redirect =
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_generic_error_t* error =
        xcb_request_check(connection, xcb_change_window_attributes_checked(
                                          connection, screen.root, XCB_CW_EVENT_MASK, &redirect));
    if (error != nullptr) {
        std::free(error);
        return false;
    }
    const xcb_window_t check = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, check, screen.root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(kSupportingCheck)),
                        kSupportingCheck),
        nullptr);
    if (atom == nullptr) {
        return false;
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, screen.root, atom->atom, XCB_ATOM_WINDOW,
                        32, 1, &check);
    std::free(atom);
    return xcb_flush(connection) > 0;
}

void Configure(xcb_connection_t* connection, const xcb_configure_request_event_t& request) {
    std::uint32_t values[7];
    int count = 0;
    const std::uint16_t mask = request.value_mask;
    const auto add = [&](std::uint16_t bit, std::uint32_t value) {
        if ((mask & bit) != 0) {
            values[count++] = value;
        }
    };
    add(XCB_CONFIG_WINDOW_X, static_cast<std::uint32_t>(request.x));
    add(XCB_CONFIG_WINDOW_Y, static_cast<std::uint32_t>(request.y));
    add(XCB_CONFIG_WINDOW_WIDTH, request.width);
    add(XCB_CONFIG_WINDOW_HEIGHT, request.height);
    add(XCB_CONFIG_WINDOW_BORDER_WIDTH, request.border_width);
    add(XCB_CONFIG_WINDOW_SIBLING, request.sibling);
    add(XCB_CONFIG_WINDOW_STACK_MODE, request.stack_mode);
    xcb_configure_window(connection, request.window, mask, values);
}

} // namespace

int main() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fputs("forgetful window manager: no X server\n", stderr);
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!Annex(connection, *screen)) {
        std::fputs("forgetful window manager: another window manager runs\n", stderr);
        return 1;
    }
    std::set<xcb_window_t> asked;
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const std::uint8_t code = event->response_type & kEventCode;
        if (code == XCB_MAP_REQUEST) {
            const xcb_window_t window = reinterpret_cast<xcb_map_request_event_t*>(event)->window;
            if (!asked.insert(window).second) {
                xcb_map_window(connection, window);
            }
        } else if (code == XCB_CONFIGURE_REQUEST) {
            Configure(connection, *reinterpret_cast<xcb_configure_request_event_t*>(event));
        }
        std::free(event);
        xcb_flush(connection);
    }
    xcb_disconnect(connection);
    return 0;
}
