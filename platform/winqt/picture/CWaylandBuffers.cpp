#include "platform/winqt/picture/CWaylandBuffers.h"

#include "platform/winqt/session/WaylandSession.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace {

constexpr std::size_t kMostBuffers = 3; // the compositor holds at most two at a time

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t /*version*/) {
    if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        *static_cast<wl_shm**>(data) =
            static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    }
}

void OnGlobalRemove(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnRelease(void* data, wl_buffer* /*buffer*/) {
    static_cast<CWaylandBuffers::Pixels*>(data)->busy = false;
}

const wl_buffer_listener kBufferListener = {OnRelease};

} // namespace

std::unique_ptr<CWaylandBuffers> CWaylandBuffers::Create(wl_display* display) {
    std::unique_ptr<CWaylandBuffers> buffers(new CWaylandBuffers(display));
    buffers->m_pQueue = wl_display_create_queue(display);
    buffers->m_pRegistry = wl_display_get_registry(display);
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(buffers->m_pRegistry), buffers->m_pQueue);
    wl_registry_add_listener(buffers->m_pRegistry, &kRegistryListener, &buffers->m_pShm);
    if (wl_display_roundtrip_queue(display, buffers->m_pQueue) < 0 || buffers->m_pShm == nullptr) {
        return nullptr;
    }
    return buffers;
}

CWaylandBuffers::CWaylandBuffers(wl_display* display) : m_pDisplay(display) {}

CWaylandBuffers::~CWaylandBuffers() {
    // Past the application's end the connection is gone, and with it everything made on it: only
    // the memory is given back.
    if (QtWaylandDisplay() != m_pDisplay) {
        UnmapAll();
        return;
    }
    Drop();
    if (m_pShm != nullptr) {
        wl_shm_destroy(m_pShm);
    }
    wl_registry_destroy(m_pRegistry);
    wl_display_flush(m_pDisplay);
    wl_event_queue_destroy(m_pQueue);
}

CWaylandBuffers::Pixels* CWaylandBuffers::Free(QSize size) {
    wl_display_dispatch_queue_pending(m_pDisplay, m_pQueue);
    Pixels* best = nullptr;
    for (const auto& buffer : m_buffers) {
        if (!buffer->busy && (best == nullptr || buffer->made > best->made)) {
            best = buffer.get();
        }
    }
    if (best == nullptr && m_buffers.size() < kMostBuffers && Add(size)) {
        best = m_buffers.back().get();
    }
    return best;
}

void CWaylandBuffers::Drop() {
    for (const auto& buffer : m_buffers) {
        wl_buffer_destroy(buffer->buffer);
    }
    UnmapAll();
}

void CWaylandBuffers::UnmapAll() {
    for (const auto& buffer : m_buffers) {
        munmap(buffer->pixels, buffer->bytes);
    }
    m_buffers.clear();
}

// A buffer of the given size in memory shared with the compositor; false without memory.
bool CWaylandBuffers::Add(QSize size) {
    const int width = size.width();
    auto buffer = std::make_unique<Pixels>();
    buffer->bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(size.height()) * 4;
    const int fd = memfd_create("ondeline-picture", MFD_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    void* memory = ftruncate(fd, static_cast<off_t>(buffer->bytes)) == 0
                       ? mmap(nullptr, buffer->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                       : MAP_FAILED;
    if (memory != MAP_FAILED) {
        wl_shm_pool* pool =
            wl_shm_create_pool(m_pShm, fd, static_cast<std::int32_t>(buffer->bytes));
        buffer->buffer = wl_shm_pool_create_buffer(pool, 0, width, size.height(), width * 4,
                                                   WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
        buffer->pixels = static_cast<std::uint32_t*>(memory);
        wl_buffer_add_listener(buffer->buffer, &kBufferListener, buffer.get());
        m_buffers.push_back(std::move(buffer));
    }
    close(fd);
    return memory != MAP_FAILED;
}
