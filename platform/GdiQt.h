#pragma once

// The Qt side of the graphics calls, for the platform layer and the tests only: device contexts
// that draw with a painter somebody else opened, and hooks that let tests make creation fail.

#include "platform/Gdi.h"

class QPainter;

// A device context that draws with an existing painter; null for a null painter. The painter
// must outlive the DC. StretchBlt draws onto it; it holds no bitmap of its own.
HDC CreatePainterDC(QPainter* painter);
// Ends a DC made by CreatePainterDC; the painter itself stays open. Other DCs are left alone.
void ReleasePainterDC(HDC hdc);

// Makes the next count calls of CreateDIBSection fail as if memory had run out (0 turns the
// hook off).
void FailNextDibSections(int count);
// Makes the next count calls of CreateCompatibleDC fail (0 turns the hook off).
void FailNextMemoryDCs(int count);

// Bitmaps and device contexts made and not yet deleted or released, so that tests can see that
// an owner gave back everything it took.
int LiveGdiHandleCount();
