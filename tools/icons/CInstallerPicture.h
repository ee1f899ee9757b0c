#pragma once

// A picture for the installer's pages, where NSIS takes only bitmap files: the icon's motif on
// the pages' white, without the opacity a bitmap of 24 bits cannot keep.

#include "tools/icons/CRgbaImage.h"

#include <string>

class CInstallerPicture {
public:
    CInstallerPicture(int width, int height); // white

    // Lays picture over this one with its top-left corner at (left, top), blending its edges into
    // what is beneath by their opacity.
    void Place(const CRgbaImage& picture, int left, int top);
    // The .bmp file: 24 bits a pixel, rows bottom first.
    std::string Bytes() const;

private:
    CRgbaImage m_image;
};
