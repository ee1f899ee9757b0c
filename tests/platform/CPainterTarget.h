#pragma once

// A window's worth of device pixels that the graphics calls draw on through a painter DC, as a
// window's paint does, for the benchmarks, which reach the window system only through here.

#include <windows.h>

#include <memory>
#include <vector>

class CPainterTarget {
public:
    // The pixels' layout: 8-8-8 over an unused byte, or over a premultiplied alpha.
    enum class Format { Rgb32, Argb32Premultiplied };

    CPainterTarget(int width, int height, Format format = Format::Rgb32);
    ~CPainterTarget();
    CPainterTarget(const CPainterTarget&) = delete;
    CPainterTarget& operator=(const CPainterTarget&) = delete;

    // A DC onto the pixels, the whole target in device pixels; valid while the target lives.
    HDC Dc() const;
    int Width() const;
    int Height() const;
    // The pixels, so that a benchmark can keep the drawing from being optimised away.
    const void* Bits() const;

    // Limits what the DC draws to these rectangles, as the window system limits a paint to what
    // was invalidated; none lifts the limit.
    void ClipTo(const std::vector<RECT>& rects);

    // Takes a 16-bit 5-5-5 picture, rows bottom-up, for DrawWithQt. The pixels are copied.
    void SetQtPicture(const void* bits, int width, int height, int stride);
    // The toolkit's own drawing of that picture over the whole target, whole pixels with no
    // smoothing: what a paint would do without StretchBlt, for comparison.
    void DrawWithQt();

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
