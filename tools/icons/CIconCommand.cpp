#include "tools/icons/CIconCommand.h"

#include "res/IconImage.h"
#include "res/resource.h"
#include "tools/files/WholeFile.h"
#include "tools/icons/CDropDrawing.h"
#include "tools/icons/CIconFile.h"
#include "tools/icons/CIconPngWriter.h"
#include "tools/icons/CInstallerPicture.h"

#include <cstdio>
#include <string>

namespace {

constexpr char kProgram[] = "ondeline-icons";
constexpr char kUsage[] = "usage: ondeline-icons SIZE FILE [SIZE FILE]...";

// Where the motif sits in each of the installer's pictures, whose sizes NSIS's pages fix: beside
// the page titles, at the right; and on the first and last pages, in the left-hand column.
struct PictureLayout {
    const char* kind;
    int width;
    int height;
    int motifSize;
    int left;
    int top;
};
constexpr PictureLayout kInstallerPictures[] = {
    {CIconCommand::kInstallerHeader, 150, 57, 48, 98, 4},
    {CIconCommand::kInstallerWizard, 164, 314, 128, 18, 48},
};

// A whole number of at most four digits; anything else is not a size.
bool ParseSize(const std::string& text, int& size) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    size = std::stoi(text);
    return size >= CIconCommand::kMinSize && size <= CIconCommand::kMaxSize;
}

} // namespace

CIconCommand::CIconCommand(std::ostream& err) : m_err(err) {}

int CIconCommand::Run(int argc, const char* const* argv) {
    if (argc < 3 || argc % 2 == 0) {
        return Fail(kUsage);
    }
    for (int index = 1; index + 1 < argc; index += 2) {
        const std::string kind = argv[index];
        if (kind == kScalable || kind == kWindowsIcon || kind == kInstallerHeader ||
            kind == kInstallerWizard) {
            const std::optional<std::string> file = kind == kScalable      ? Scalable()
                                                    : kind == kWindowsIcon ? WindowsIcon()
                                                                           : InstallerPicture(kind);
            if (!file) {
                return Fail("the program has no icon to draw");
            }
            if (!WriteText(*file, argv[index + 1])) {
                return kExitFailure;
            }
            continue;
        }
        int size = 0;
        if (!ParseSize(argv[index], size)) {
            return Fail(std::string("the size \"") + argv[index] + "\" is not a whole number " +
                        std::to_string(kMinSize) + ".." + std::to_string(kMaxSize));
        }
        const std::optional<CRgbaImage> picture = Picture(size);
        if (!picture) {
            return Fail("the program has no icon to draw");
        }
        CIconPngWriter writer;
        if (!writer.Write(*picture, argv[index + 1])) {
            return Fail(writer.Error());
        }
    }
    return kExitOk;
}

std::optional<std::string> CIconCommand::Scalable() {
    const std::optional<CDropDrawing> motif = CDropDrawing::OfIcon(FindIconGroup(IDR_MAINFRAME));
    if (!motif) {
        return std::nullopt;
    }
    return motif->Svg();
}

std::optional<std::string> CIconCommand::WindowsIcon() {
    const IconGroup* group = FindIconGroup(IDR_MAINFRAME);
    const std::optional<CDropDrawing> motif = CDropDrawing::OfIcon(group);
    if (!motif) {
        return std::nullopt;
    }
    CIconFile file;
    for (const IconImage& image : group->images) {
        file.AddPalettedImage(image);
    }
    for (const int size : kWindowsIconSizes) {
        if (!file.AddPicture(motif->Draw(size))) {
            return std::nullopt;
        }
    }
    return file.Bytes();
}

std::optional<std::string> CIconCommand::InstallerPicture(const std::string& kind) {
    const std::optional<CDropDrawing> motif = CDropDrawing::OfIcon(FindIconGroup(IDR_MAINFRAME));
    if (!motif) {
        return std::nullopt;
    }
    for (const PictureLayout& layout : kInstallerPictures) {
        if (kind == layout.kind) {
            CInstallerPicture picture(layout.width, layout.height);
            picture.Place(motif->Draw(layout.motifSize), layout.left, layout.top);
            return picture.Bytes();
        }
    }
    return std::nullopt;
}

std::optional<CRgbaImage> CIconCommand::Picture(int size) {
    const IconGroup* group = FindIconGroup(IDR_MAINFRAME);
    const std::optional<CDropDrawing> motif = CDropDrawing::OfIcon(group);
    if (!motif || size < kMinSize || size > kMaxSize) {
        return std::nullopt;
    }
    for (const IconImage& image : group->images) {
        if (image.width == size && image.height == size) {
            return CRgbaImage::FromIconImage(image);
        }
    }
    return motif->Draw(size);
}

bool CIconCommand::WriteText(const std::string& text, const std::string& path) {
    if (const std::string error = WriteWholeFile(path, text); !error.empty()) {
        Fail(error);
        return false;
    }
    return true;
}

int CIconCommand::Fail(const std::string& what) {
    m_err << kProgram << ": " << what << '\n';
    return kExitFailure;
}
