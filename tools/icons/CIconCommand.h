#pragma once

// ondeline-icons: writes the program's icon as PNG pictures at the sizes an icon theme asks for.
// A size that the icon resource holds a hand-set image of is written pixel for pixel from it;
// any other size is drawn afresh from the motif of the largest image, the size "svg" writes
// that motif's shapes as a scalable SVG document, "ico" a Windows icon file holding the hand-set
// images as they are and the motif drawn in full colour at the sizes Windows asks for, and
// "header" and "wizard" the installer's pictures beside its page titles and on its last page.

#include "tools/icons/CRgbaImage.h"

#include <optional>
#include <ostream>
#include <string>

class CIconCommand {
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitFailure = 2; // bad arguments, or a picture that cannot be written
    static constexpr int kMinSize = 8;
    static constexpr int kMaxSize = 1024;
    static constexpr char kScalable[] = "svg";
    static constexpr char kWindowsIcon[] = "ico";
    static constexpr char kInstallerHeader[] = "header";
    static constexpr char kInstallerWizard[] = "wizard";
    // The full-colour sizes the icon file holds beside the hand-set 16-colour ones: the small and
    // large icons at 100 %, 125 %, 150 % and 200 %, and the largest a file-manager view shows.
    // Windows draws the deepest image of a size the display can show, so on today's displays
    // these are what the title bar, the task bar and the About box show; a 16-colour display
    // still gets the hand-set images.
    static constexpr int kWindowsIconSizes[] = {16, 20, 24, 32, 48, 64, 256};

    explicit CIconCommand(std::ostream& err);

    // argv: the program, then pairs SIZE FILE, where SIZE may be kScalable.
    int Run(int argc, const char* const* argv);

    // The main icon at size x size; empty when the resource has no images or the size is out of
    // range.
    static std::optional<CRgbaImage> Picture(int size);
    // The motif of the largest image as an SVG document; empty when the resource has no images.
    static std::optional<std::string> Scalable();
    // The Windows icon file's bytes; empty when the resource has no images.
    static std::optional<std::string> WindowsIcon();
    // The .bmp file of the installer's picture of that kind (kInstallerHeader or
    // kInstallerWizard); empty for another kind, or when the resource has no images.
    static std::optional<std::string> InstallerPicture(const std::string& kind);

private:
    int Fail(const std::string& what);
    // Like the PNG pictures, the document is put in place only when it is whole.
    bool WriteText(const std::string& text, const std::string& path);

    std::ostream& m_err;
};
