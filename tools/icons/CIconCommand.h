#pragma once

// ondeline-icons: writes the program's icon as PNG pictures at the sizes an icon theme asks for.
// A size that the icon resource holds a hand-set image of is written pixel for pixel from it;
// any other size is drawn afresh from the motif of the largest image.

#include "tools/icons/CRgbaImage.h"

#include <optional>
#include <ostream>

class CIconCommand {
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitFailure = 2; // bad arguments, or a picture that cannot be written
    static constexpr int kMinSize = 8;
    static constexpr int kMaxSize = 1024;

    explicit CIconCommand(std::ostream& err);

    // argv: the program, then pairs SIZE FILE.
    int Run(int argc, const char* const* argv);

    // The main icon at size x size; empty when the resource has no images or the size is out of
    // range.
    static std::optional<CRgbaImage> Picture(int size);

private:
    int Fail(const std::string& what);

    std::ostream& m_err;
};
