#pragma once

#include <string>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_virtual_pointer_v1;

// A pointer device of our own on a wlroots compositor's seat, which moves and clicks as a
// person's mouse would: the only way to click in a compositor that has no input devices.
class CVirtualPointer {
public:
    CVirtualPointer() = default;
    ~CVirtualPointer();
    CVirtualPointer(const CVirtualPointer&) = delete;
    CVirtualPointer& operator=(const CVirtualPointer&) = delete;

    // Connects to the compositor named by WAYLAND_DISPLAY; on failure Error() says why.
    bool Connect();
    // Moves to (x / width, y / height) of the box that holds every output, then presses and
    // releases the button there (a code of linux/input-event-codes.h), and waits until the
    // compositor has taken it all.
    bool Click(unsigned x, unsigned y, unsigned width, unsigned height, unsigned button);
    const std::string& Error() const { return m_error; }

    static void OnGlobal(void* data, wl_registry* registry, unsigned name, const char* interface,
                         unsigned version);
    static void OnGlobalRemove(void* data, wl_registry* registry, unsigned name);

private:
    bool Fail(const std::string& why);

    wl_display* m_pDisplay = nullptr;
    wl_registry* m_pRegistry = nullptr;
    wl_seat* m_pSeat = nullptr;
    zwlr_virtual_pointer_manager_v1* m_pManager = nullptr;
    zwlr_virtual_pointer_v1* m_pPointer = nullptr;
    unsigned m_nTime = 0;
    std::string m_error;
};
