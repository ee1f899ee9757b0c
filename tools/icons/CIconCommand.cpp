#include "tools/icons/CIconCommand.h"

#include "res/IconImage.h"
#include "res/resource.h"
#include "tools/icons/CDropDrawing.h"
#include "tools/icons/CIconPngWriter.h"

#include <string>

namespace {

constexpr char kProgram[] = "ondeline-icons";
constexpr char kUsage[] = "usage: ondeline-icons SIZE FILE [SIZE FILE]...";

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

std::optional<CRgbaImage> CIconCommand::Picture(int size) {
    const IconGroup* group = FindIconGroup(IDR_MAINFRAME);
    if (group == nullptr || group->images.empty() || size < kMinSize || size > kMaxSize) {
        return std::nullopt;
    }
    const IconImage* largest = &group->images.front();
    for (const IconImage& image : group->images) {
        if (image.width == size && image.height == size) {
            return CRgbaImage::FromIconImage(image);
        }
        if (image.width > largest->width) {
            largest = &image;
        }
    }
    return CDropDrawing(*largest).Draw(size);
}

int CIconCommand::Fail(const std::string& what) {
    m_err << kProgram << ": " << what << '\n';
    return kExitFailure;
}
