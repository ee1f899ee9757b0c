#include "CVirtualPointer.h"

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <cstring>

namespace {
constexpr unsigned kSeatVersion = 1;
constexpr unsigned kManagerVersion = 1;
// The pretend time between one event and the next, in milliseconds: enough that no client
// takes a press and release for a double click's second half by accident.
constexpr unsigned kEventSpacing = 10;

const wl_registry_listener kRegistryListener = {CVirtualPointer::OnGlobal,
                                                CVirtualPointer::OnGlobalRemove};
} // namespace

CVirtualPointer::~CVirtualPointer() {
    if (m_pPointer != nullptr)
        zwlr_virtual_pointer_v1_destroy(m_pPointer);
    if (m_pManager != nullptr)
        zwlr_virtual_pointer_manager_v1_destroy(m_pManager);
    if (m_pSeat != nullptr)
        wl_seat_destroy(m_pSeat);
    if (m_pRegistry != nullptr)
        wl_registry_destroy(m_pRegistry);
    if (m_pDisplay != nullptr)
        wl_display_disconnect(m_pDisplay);
}

void CVirtualPointer::OnGlobal(void* data, wl_registry* registry, unsigned name,
                               const char* interface, unsigned /*version*/) {
    auto* self = static_cast<CVirtualPointer*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && self->m_pSeat == nullptr) {
        self->m_pSeat = static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, kSeatVersion));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        self->m_pManager = static_cast<zwlr_virtual_pointer_manager_v1*>(wl_registry_bind(
            registry, name, &zwlr_virtual_pointer_manager_v1_interface, kManagerVersion));
    }
}

void CVirtualPointer::OnGlobalRemove(void* /*data*/, wl_registry* /*registry*/, unsigned /*name*/) {
}

bool CVirtualPointer::Fail(const std::string& why) {
    m_error = why;
    return false;
}

bool CVirtualPointer::Connect() {
    m_pDisplay = wl_display_connect(nullptr);
    if (m_pDisplay == nullptr)
        return Fail("cannot connect to the Wayland display (is WAYLAND_DISPLAY right?)");
    m_pRegistry = wl_display_get_registry(m_pDisplay);
    wl_registry_add_listener(m_pRegistry, &kRegistryListener, this);
    if (wl_display_roundtrip(m_pDisplay) < 0)
        return Fail("the compositor did not answer");
    if (m_pManager == nullptr)
        return Fail("the compositor offers no zwlr_virtual_pointer_manager_v1");
    m_pPointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(m_pManager, m_pSeat);
    // The seat gains its pointer now; the round trip lets its clients hear of it first.
    if (wl_display_roundtrip(m_pDisplay) < 0)
        return Fail("the compositor refused the virtual pointer");
    return true;
}

bool CVirtualPointer::Click(unsigned x, unsigned y, unsigned width, unsigned height,
                            unsigned button) {
    if (m_pPointer == nullptr)
        return Fail("not connected");
    if (width == 0 || height == 0 || x >= width || y >= height)
        return Fail("the place is outside the outputs");
    zwlr_virtual_pointer_v1_motion_absolute(m_pPointer, m_nTime += kEventSpacing, x, y, width,
                                            height);
    zwlr_virtual_pointer_v1_frame(m_pPointer);
    // The window under the pointer hears of its arrival before the press.
    if (wl_display_roundtrip(m_pDisplay) < 0)
        return Fail("the compositor went away");
    zwlr_virtual_pointer_v1_button(m_pPointer, m_nTime += kEventSpacing, button,
                                   WL_POINTER_BUTTON_STATE_PRESSED);
    zwlr_virtual_pointer_v1_frame(m_pPointer);
    zwlr_virtual_pointer_v1_button(m_pPointer, m_nTime += kEventSpacing, button,
                                   WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(m_pPointer);
    if (wl_display_roundtrip(m_pDisplay) < 0)
        return Fail("the compositor went away");
    return true;
}
