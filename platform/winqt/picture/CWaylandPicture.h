#pragma once

// The picture as a Wayland compositor shows it. Qt 6.4's backing store copies its whole buffer
// before each paint while the compositor holds the last one, so the frames between the dialog's
// own paints skip Qt (Repaint): they go in buffers of the program's own, of the window's size,
// on the window's own surface, so that the compositor still sees one surface. Each buffer, and
// Qt's backing store, gathers the changes the dialog reports until it is written next, so only
// those are written; the rest of a buffer is a copy of the backing store, taken again after each
// paint of Qt's.

#include "platform/winqt/paint/CPictureSink.h"
#include "platform/winqt/picture/CPictureCells.h"
#include "platform/winqt/picture/CWaylandBuffers.h"

#include <QObject>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <vector>

class QImage;
class QWidget;
struct wl_display;
struct wl_surface;

class CWaylandPicture : public QObject, public CPictureSink {
public:
    // The sink for the widget's paints; null off Wayland, or where it cannot serve.
    static std::unique_ptr<CWaylandPicture> Create(QWidget* widget);

    bool Show(HBITMAP bitmap, const AxisMap& columns, const AxisMap& rows,
              const std::vector<QRect>& areas) override;
    bool Repaint(const QRect& rect) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    using Pixels = CWaylandBuffers::Pixels;

private:
    CWaylandPicture(QWidget* widget, wl_display* display, std::unique_ptr<CWaylandBuffers> buffers);
    void Withdraw() override;
    QImage* StoreImage() const;
    bool Place(const AxisMap& columns, const AxisMap& rows, const QImage& store);
    const GdiObject* Bitmap() const;
    void BringStoreUpToDate();
    bool Draw();
    Pixels* FreeBuffer(const QImage& store);
    void WriteCells(Pixels& target, int stride, const GdiObject& bitmap) const;

    wl_display* m_pDisplay = nullptr;
    std::unique_ptr<CWaylandBuffers> m_pBuffers;
    wl_surface* m_pSurface = nullptr; // the window's, while a buffer of ours is on it
    bool m_bDrawQueued = false;
    std::uint64_t m_nFrame = 0;
    std::uint64_t m_nQtPaints = 1;
    // The last copy's bitmap, looked up again before each use: the dialog may have deleted it.
    HBITMAP m_hBitmap = nullptr;
    QRect m_rcPlace; // among the window's device pixels
    QSize m_storeSize;
    CPictureCells m_cells; // where the cells lie on the window, the buffers and the store alike
    Pixels m_store;        // Qt's backing store
    QRegion m_unshown;     // the changes the surface does not show yet, as m_store.stale
};
