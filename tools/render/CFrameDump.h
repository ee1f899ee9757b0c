#pragma once

// The exact text form of a frame, for checks that compare pixels and drop positions to the
// last bit.

#include "tools/render/SceneFrame.h"

#include <string>

class CFrameDump {
public:
    // "frame TICK", then one line of four-digit lowercase hex words per row, top row first, then
    // one "slot K ACTIVE X Y TICK" line per slot with X and Y to 17 significant digits.
    static std::string Format(const SceneFrame& frame);
};
