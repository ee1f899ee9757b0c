#pragma once

// The objects behind the graphics handles, for the platform's graphics code only: the bitmaps
// with their pixel memory and the device contexts, memory or painter. The calls that make, select
// and delete them keep every live handle, so that a stale or foreign one is refused.

#include "platform/Gdi.h"
#include "platform/GdiQt.h"

#include <QImage>

#include <cstdint>
#include <memory>

class QPainter;

inline constexpr int kBlackOnWhite = 1; // the stretch mode every DC starts in

struct GdiObject {
    std::unique_ptr<std::uint8_t[]> bits;
    // Declared after the memory it looks at, so that it goes first.
    QImage view;
    GdiDC* selectedInto = nullptr;
    // The last stretched copy, kept so that the next paint of the same size reuses its memory.
    QImage stretched;
};

struct GdiDC {
    QPainter* painter = nullptr; // null for a memory DC
    GdiObject* bitmap = nullptr;
    int stretchMode = kBlackOnWhite;
    PaintCopy* record = nullptr;    // where copies onto a window's paint DC are noted
    IPictureSink* screen = nullptr; // the window system's own picture of that window, if any
};

// The object of a live handle; null for null, stale or foreign handles.
GdiObject* FindGdiObject(HGDIOBJ handle);
GdiDC* FindGdiDC(HDC handle);
