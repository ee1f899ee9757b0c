#pragma once

#include "platform/afx/CDC.h"
#include <windows.h>

// The picture the renderer writes and the dialog paints: a 16-bit bottom-up bitmap whose pixel
// memory is addressed directly, held in a memory DC so that one call copies it to the screen,
// scaled. The surface exists while both m_pbmi and m_pBits are set.
class CDibSurface {
public:
    BITMAPINFO* m_pbmi = nullptr;
    void* m_pBits = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HDC m_hMemDC = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;

    CDibSurface() = default;
    ~CDibSurface();
    CDibSurface(const CDibSurface&) = delete;
    CDibSurface& operator=(const CDibSurface&) = delete;

    // Replaces whatever the surface held with a cx x cy bitmap filled with fill. FALSE, with the
    // surface left empty, for a size that is not positive or too large, or when memory runs out.
    BOOL Create(int cx, int cy, WORD fill);
    // Writes value into every word of the pixel memory, row padding included.
    BOOL Fill(WORD value);
    // Copies the source rectangle (the whole bitmap when null) into the destination rectangle
    // of target (the bitmap's own size at the origin when null), scaling by whole pixels. An
    // empty or inverted rectangle draws nothing.
    void Blit(CDC* target, const RECT* dest, const RECT* src);
    // Gives back the bitmap, its DC and the header; harmless on an empty surface.
    void Free();

    int Height() const;
    int Width() const;
    int Stride() const;
};
