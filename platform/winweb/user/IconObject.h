#pragma once

// The record behind an icon handle: the icon's images as RGBA pixels, made from the resource
// data.

#include <windows.h>

#include <cstdint>
#include <vector>

struct IconImagePixels {
    int size = 0;                   // width and height
    std::vector<std::uint8_t> rgba; // size x size pixels, top row first
};

struct IconObject {
    IconImagePixels large; // SM_CXICON x SM_CYICON of an unscaled screen
    IconImagePixels small; // SM_CXSMICON x SM_CYSMICON of an unscaled screen
};

// The program's icon resource nIDResource, shared and kept for the whole process; null when
// there is no such icon.
HICON LoadIconResource(UINT nIDResource);
// Shows icon in an icon static's element.
void ShowIconIn(int element, HICON icon);
