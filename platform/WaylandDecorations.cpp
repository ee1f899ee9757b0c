#include "platform/WaylandDecorations.h"

#include <wayland-client.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The global a compositor offers when it draws the frames of the windows that ask it to.
const char* const kDecorationManager = "zxdg_decoration_manager_v1";

void OnGlobal(void* data, wl_registry* /*registry*/, std::uint32_t /*name*/,
              const char* interface, std::uint32_t /*version*/) {
    if (std::strcmp(interface, kDecorationManager) == 0) {
        *static_cast<bool*>(data) = true;
    }
}

void OnGlobalRemove(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}

const wl_registry_listener kListener = {OnGlobal, OnGlobalRemove};

} // namespace

bool CompositorDrawsWindowFrames() {
    if (std::getenv("WAYLAND_SOCKET") != nullptr) {
        return false;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        return false;
    }
    bool found = false;
    wl_registry* registry = wl_display_get_registry(display);
    if (registry != nullptr) {
        wl_registry_add_listener(registry, &kListener, &found);
        if (wl_display_roundtrip(display) < 0) {
            found = false;
        }
        wl_registry_destroy(registry);
    }
    wl_display_disconnect(display);
    return found;
}
