#pragma once

// A Windows icon file (.ico): one picture at several sizes, from which Windows picks the one that
// fits each place (the caption, the task bar, the About box) at the screen's scale.

#include "res/IconImage.h"
#include "tools/icons/CRgbaImage.h"

#include <optional>
#include <string>
#include <vector>

class CIconFile {
public:
    // A hand-set image as it is drawn: 16 colours at 4 bits a pixel, its transparent pixels
    // masked out.
    void AddPalettedImage(const IconImage& image);
    // A drawn picture in 32-bit colour with its opacity; from kPngSize up, stored as PNG as
    // Windows expects of the largest images. False when it cannot be encoded.
    bool AddPicture(const CRgbaImage& picture);
    // The file: its directory, then each image in the order added.
    std::string Bytes() const;

    static constexpr int kPngSize = 256;
    static constexpr int kMaxSize = 256; // the directory keeps sizes in a byte, 0 meaning 256

private:
    struct Entry {
        int width;
        int height;
        int colours;  // palette entries, 0 for true colour
        int bitCount; // bits a pixel
        std::string data;
    };

    static std::string BitmapHeader(int width, int height, int bitCount, int colours);
    static std::string Mask(const CRgbaImage& picture);

    std::vector<Entry> m_entries;
};
