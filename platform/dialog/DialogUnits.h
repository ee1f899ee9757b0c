#pragma once

// Dialog units, the measure of dialog templates: a quarter of the dialog font's average
// character width across, an eighth of its height down. Plain arithmetic, so it is checked
// without a font.

#include <windows.h>

struct DialogBaseUnits {
    int cx; // the font's average character width in pixels
    int cy; // the font's height in pixels
};

RECT MapDialogRect(const RECT& rc, const DialogBaseUnits& base);

// The average width the dialog manager takes: the width of the 52 letters, halved over 26 and
// rounded.
int AverageCharWidth(int alphabetWidth);
