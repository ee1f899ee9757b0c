#pragma once

// The picture's buffers on Wayland: pixels in memory shared with the compositor, made on a queue
// of the program's own so that Qt never sees their events, and handed out newest first.

#include <QRegion>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct wl_buffer;
struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wl_shm;

class CWaylandBuffers {
public:
    // Pixels, and the part of the picture in them that is behind: a buffer of the program's own,
    // or Qt's backing store.
    struct Pixels {
        wl_buffer* buffer = nullptr;
        std::uint32_t* pixels = nullptr;
        std::size_t bytes = 0;
        // The union of the picture's changes since these pixels were last brought up to date, in
        // device pixels from the picture's edge, as a compositor's buffer age would give it.
        QRegion stale;
        bool busy = false;            // the compositor holds it
        std::uint64_t made = 0;       // the number of the frame it last showed
        std::uint64_t copiedFrom = 0; // Qt's paint whose pixels it holds beside the cells
    };

    // Binds the compositor's shared memory; null when it offers none or the connection fails.
    static std::unique_ptr<CWaylandBuffers> Create(wl_display* display);
    ~CWaylandBuffers();
    CWaylandBuffers(const CWaylandBuffers&) = delete;
    CWaylandBuffers& operator=(const CWaylandBuffers&) = delete;

    // The free buffer whose pixels are the newest, so that the fewest cells need writing, or a
    // new one of size while there is room; null when the compositor holds them all.
    Pixels* Free(QSize size);
    const std::vector<std::unique_ptr<Pixels>>& All() const { return m_buffers; }
    // Destroys every buffer, as when the window's size changes.
    void Drop();

private:
    CWaylandBuffers(wl_display* display);
    bool Add(QSize size);
    void UnmapAll();

    wl_display* m_pDisplay = nullptr;
    wl_event_queue* m_pQueue = nullptr;
    wl_registry* m_pRegistry = nullptr;
    wl_shm* m_pShm = nullptr;
    std::vector<std::unique_ptr<Pixels>> m_buffers;
};
