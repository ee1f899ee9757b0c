#pragma once

#include "ripple/RippleDrop.h"
#include "ripple/RippleField.h"

// Remembers the last frame when no drop was live in it, so that the next tick can tell that
// drawing again would give the very same pixels: calm water, and the Spectrum strip when it is
// on, whatever the tick. A window left alone shows nothing else for hours, so not drawing such
// frames again saves nearly all of its work.
class CStillFrame {
public:
    // After a frame has been drawn: remembers what it was drawn for when no drop is live.
    void Rendered(int gridW, int gridH, const FieldOptions& options, DropTable drops);
    // Whether a frame drawn now would be exactly the one remembered.
    bool WouldRepeat(int gridW, int gridH, const FieldOptions& options, DropTable drops) const;
    // The pixels are gone, as when the surface is made anew.
    void Forget() { m_bValid = false; }

private:
    bool m_bValid = false;
    int m_nGridW = 0;
    int m_nGridH = 0;
    FieldOptions m_options;
};
