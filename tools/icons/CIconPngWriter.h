#pragma once

// Writes an icon picture as an 8-bit RGBA PNG, the form icon themes read.

#include "tools/icons/CRgbaImage.h"

#include <string>

class CIconPngWriter {
public:
    // The picture goes to a temporary file beside path and is renamed into place only when it
    // is whole, so a failed build step never leaves a truncated icon that looks up to date.
    bool Write(const CRgbaImage& picture, const std::string& path);
    const std::string& Error() const { return m_strError; }

private:
    bool Fail(const std::string& what);

    std::string m_strError;
};
