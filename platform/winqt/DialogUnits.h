#pragma once

// Dialog units, the measure of dialog templates: a quarter of the dialog font's average
// character width across, an eighth of its height down. Plain arithmetic, so it is checked
// without a font.

#include "platform/winapi/windef.h"

struct DialogBaseUnits {
    int cx; // the font's average character width in pixels
    int cy; // the font's height in pixels
};

// number x numerator / denominator with a 64-bit product, rounded half away from zero; -1 for a
// zero denominator or a result outside int, as the window system's MulDiv answers.
int MulDiv(int number, int numerator, int denominator);

// A rectangle in dialog units (left, top, right, bottom) in pixels.
RECT MapDialogRect(const RECT& rc, const DialogBaseUnits& base);

// The average width the dialog manager takes: the width of the 52 letters, halved over 26 and
// rounded.
int AverageCharWidth(int alphabetWidth);
