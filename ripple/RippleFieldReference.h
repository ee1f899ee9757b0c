#pragma once

#include "ripple/RippleField.h"

// The plain loop, cell by cell and drop by drop, exactly in the order the rings are defined: the
// yardstick the fast synthesis is held to, pixel for pixel and drop for drop. Same contract as
// SynthesizeField.
void SynthesizeFieldReference(int gridW, int gridH, const FieldOptions& options, std::uint32_t now,
                              DropTable drops, void* bits, int stride, int rows);
