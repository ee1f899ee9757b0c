#pragma once

#include "ripple/RippleDrop.h"

#include <cstdint>

// The three option boxes that change the picture, as sampled at the start of a frame.
struct FieldOptions {
    bool drift = false;
    bool spectrum = false;
    bool addColor = false;
};

// Rewrites every pixel of a gridW x gridH picture held bottom-up in pixel memory (stride bytes a
// row, rows rows, as the surface made it) from the live drops at tick now. Drift moves drops in
// place; drops older than their lifetime are retired. A frame with no rows, no pixel memory, or a
// grid that does not fit the buffer is refused whole: nothing is written and no drop changes.
// Pixels and drops come out exactly as the plain cell-by-cell loop leaves them, only sooner.
void SynthesizeField(int gridW, int gridH, const FieldOptions& options, std::uint32_t now,
                     DropTable drops, void* bits, int stride, int rows);

// The same frame, trusting a fast sum only when it lies further than sumErrorBound from every
// value at which the level changes, and summing the other cells again the plain way. Returns how
// many cells were summed again. SynthesizeField passes the proven bound; tests pass wider ones
// to send cells down the plain path.
int SynthesizeFieldWithBound(int gridW, int gridH, const FieldOptions& options, std::uint32_t now,
                             DropTable drops, void* bits, int stride, int rows,
                             double sumErrorBound);
