#include "tools/icons/CIconCommand.h"
#include "res/resource.h"
#include "tests/tools/CScratchFolder.h"
#include "tools/icons/CDropDrawing.h"
#include "tools/icons/CRgbaImage.h"

#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int status;
    std::string message;
};

Outcome RunIcons(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "ondeline-icons");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    std::ostringstream err;
    CIconCommand command(err);
    const int status = command.Run(static_cast<int>(argv.size()), argv.data());
    return {status, err.str()};
}

// The PNG at path as 0xAARRGGBB pixels, rows top first; empty when it cannot be read.
std::vector<std::uint32_t> ReadPng(const std::string& path, int& width, int& height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return {};
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> bytes(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr) == 0) {
        return {};
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    std::vector<std::uint32_t> pixels;
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
        pixels.push_back(static_cast<std::uint32_t>(bytes[i + 3]) << 24 |
                         static_cast<std::uint32_t>(bytes[i]) << 16 |
                         static_cast<std::uint32_t>(bytes[i + 1]) << 8 | bytes[i + 2]);
    }
    return pixels;
}

std::vector<std::uint32_t> PixelsOf(const CRgbaImage& picture) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            pixels.push_back(picture.Pixel(x, y));
        }
    }
    return pixels;
}

TEST(IconCommand, WritesEachSizeAsAnRgbaPngThatReadsBackExactly) {
    CScratchFolder folder;
    const std::vector<int> sizes = {16, 32, 48, 256};
    std::vector<std::string> arguments;
    for (const int size : sizes) {
        arguments.push_back(std::to_string(size));
        arguments.push_back(folder.File(std::to_string(size) + ".png"));
    }
    const Outcome outcome = RunIcons(arguments);
    ASSERT_EQ(outcome.status, CIconCommand::kExitOk) << outcome.message;
    EXPECT_EQ(outcome.message, "");
    for (const int size : sizes) {
        int width = 0;
        int height = 0;
        const std::vector<std::uint32_t> read =
            ReadPng(folder.File(std::to_string(size) + ".png"), width, height);
        EXPECT_EQ(width, size);
        EXPECT_EQ(height, size);
        EXPECT_EQ(read, PixelsOf(*CIconCommand::Picture(size))) << size;
    }
    // Only the pictures: no temporary file is left beside them.
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"16.png", "256.png", "32.png", "48.png"}));
}

TEST(IconCommand, WritesTheScalableIconBesideThePictures) {
    CScratchFolder folder;
    const Outcome outcome = RunIcons({"16", folder.File("16.png"), "svg", folder.File("icon.svg")});
    ASSERT_EQ(outcome.status, CIconCommand::kExitOk) << outcome.message;
    std::ifstream file(folder.File("icon.svg"), std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    EXPECT_EQ(written, CIconCommand::Scalable().value_or(""));
    EXPECT_EQ(written.rfind("<?xml", 0), 0U);
    EXPECT_NE(written.find("viewBox=\"0 0 32 32\""), std::string::npos);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"16.png", "icon.svg"}));

    const std::string missing = folder.File("missing/icon.svg");
    const Outcome failed = RunIcons({"svg", missing});
    EXPECT_EQ(failed.status, CIconCommand::kExitFailure);
    EXPECT_EQ(failed.message.rfind("ondeline-icons: cannot write " + missing + ": ", 0), 0U)
        << failed.message;
}

// Reads a little-endian number of size bytes at offset of an icon file.
std::uint32_t Little(const std::string& bytes, std::size_t offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value =
            value << 8 | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    }
    return value;
}

// One image of an icon file as 0xAARRGGBB pixels, rows top first: a PNG, or a bitmap of 4 bits
// through its palette or of 32 bits, transparent where its mask says so.
std::vector<std::uint32_t> DecodeIconImage(const std::string& data, int size) {
    if (data.rfind("\x89PNG", 0) == 0) {
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        if (png_image_begin_read_from_memory(&image, data.data(), data.size()) == 0) {
            return {};
        }
        image.format = PNG_FORMAT_BGRA;
        std::vector<std::uint32_t> pixels(PNG_IMAGE_SIZE(image) / 4);
        png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
        return pixels;
    }
    const int bits = static_cast<int>(Little(data, 14, 2));
    const std::size_t palette = Little(data, 0, 4);
    const std::size_t colours = palette + 4 * Little(data, 32, 4);
    const std::size_t rowBytes = static_cast<std::size_t>((size * bits + 31) / 32 * 4);
    const std::size_t maskRowBytes = static_cast<std::size_t>((size + 31) / 32 * 4);
    const std::size_t mask = colours + rowBytes * static_cast<std::size_t>(size);
    std::vector<std::uint32_t> pixels;
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const std::size_t row = static_cast<std::size_t>(y);
            const auto masked =
                static_cast<unsigned char>(
                    data[mask + row * maskRowBytes + static_cast<std::size_t>(x / 8)]) &
                (0x80 >> (x % 8));
            std::uint32_t argb = 0;
            if (bits == 32) {
                argb = Little(data, colours + row * rowBytes + static_cast<std::size_t>(4 * x), 4);
            } else {
                const auto pair = static_cast<unsigned char>(
                    data[colours + row * rowBytes + static_cast<std::size_t>(x / 2)]);
                const unsigned index = x % 2 == 0 ? pair >> 4 : pair & 0xF;
                argb = 0xFF000000 | Little(data, palette + 4 * index, 3);
            }
            pixels.push_back(masked != 0 ? 0 : argb);
        }
    }
    return pixels;
}

// The motif as drawn from the largest hand-set image, the 32-pixel one.
CDropDrawing Motif() {
    return *CDropDrawing::OfIcon(FindIconGroup(IDR_MAINFRAME));
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST(IconCommand, WritesTheWindowsIconWithTheHandSetImagesAndTheMotifInFullColour) {
    CScratchFolder folder;
    const Outcome outcome = RunIcons({"ico", folder.File("icon.ico")});
    ASSERT_EQ(outcome.status, CIconCommand::kExitOk) << outcome.message;
    const std::string ico = ReadFile(folder.File("icon.ico"));
    ASSERT_GE(ico.size(), 6U);
    EXPECT_EQ(Little(ico, 0, 4), 0x10000U) << "reserved word, then type 1 (icons)";
    std::vector<int> sizes;
    std::vector<int> bits;
    for (std::size_t n = 0; n < Little(ico, 4, 2); ++n) {
        const std::size_t entry = 6 + 16 * n;
        const int size = ico[entry] == 0 ? 256 : static_cast<unsigned char>(ico[entry]);
        sizes.push_back(size);
        bits.push_back(static_cast<int>(Little(ico, entry + 6, 2)));
        const std::string data = ico.substr(Little(ico, entry + 12, 4), Little(ico, entry + 8, 4));
        const CRgbaImage expected =
            bits.back() == 4 ? *CIconCommand::Picture(size) : Motif().Draw(size);
        EXPECT_EQ(DecodeIconImage(data, size), PixelsOf(expected)) << size;
    }
    // The hand-set images as they are, 16 colours each, then the drawn ones in full colour,
    // which Windows prefers at the sizes both have.
    EXPECT_EQ(sizes, (std::vector<int>{32, 16, 16, 20, 24, 32, 48, 64, 256}));
    EXPECT_EQ(bits, (std::vector<int>{4, 4, 32, 32, 32, 32, 32, 32, 32}));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"icon.ico"});
}

// The installer's pictures are 24-bit bitmaps of the size its pages show them at, white with the
// motif blended in where it is told to sit.
TEST(IconCommand, WritesTheInstallersPicturesAsBitmaps) {
    struct Expected {
        const char* kind;
        int width;
        int height;
        int motifSize;
        int left;
        int top;
    };
    for (const Expected& picture :
         {Expected{"header", 150, 57, 48, 98, 4}, Expected{"wizard", 164, 314, 128, 18, 48}}) {
        CScratchFolder folder;
        const Outcome outcome = RunIcons({picture.kind, folder.File("picture.bmp")});
        ASSERT_EQ(outcome.status, CIconCommand::kExitOk) << outcome.message;
        const std::string bmp = ReadFile(folder.File("picture.bmp"));
        const std::size_t rowBytes = static_cast<std::size_t>((picture.width * 3 + 3) / 4 * 4);
        ASSERT_EQ(bmp.size(), 54 + rowBytes * static_cast<std::size_t>(picture.height));
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(Little(bmp, 18, 4), static_cast<std::uint32_t>(picture.width));
        EXPECT_EQ(Little(bmp, 22, 4), static_cast<std::uint32_t>(picture.height));
        EXPECT_EQ(Little(bmp, 28, 2), 24U);
        // Pixel (x, y) as 0xRRGGBB, rows stored bottom first.
        const auto pixel = [&](int x, int y) {
            return Little(bmp,
                          54 + rowBytes * static_cast<std::size_t>(picture.height - 1 - y) +
                              static_cast<std::size_t>(3 * x),
                          3);
        };
        EXPECT_EQ(pixel(0, 0), 0xFFFFFFU) << picture.kind;
        const CRgbaImage motif = Motif().Draw(picture.motifSize);
        int opaque = 0;
        for (int y = 0; y < motif.Height(); ++y) {
            for (int x = 0; x < motif.Width(); ++x) {
                const std::uint32_t drawn = motif.Pixel(x, y);
                if (drawn >> 24 == 0xFF) {
                    ++opaque;
                    EXPECT_EQ(pixel(picture.left + x, picture.top + y), drawn & 0xFFFFFF)
                        << picture.kind << " at " << x << ", " << y;
                }
            }
        }
        EXPECT_GT(opaque, picture.motifSize) << picture.kind;
    }
}

struct RefusedCase {
    const char* name;
    std::vector<std::string> arguments;
    const char* message;
};

class IconCommandRefuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(IconCommandRefuses, WithOneMessageAndNoFile) {
    CScratchFolder folder;
    std::vector<std::string> arguments = GetParam().arguments;
    for (std::string& argument : arguments) {
        if (argument == "OUT") {
            argument = folder.File("icon.png");
        }
    }
    const Outcome outcome = RunIcons(arguments);
    EXPECT_EQ(outcome.status, CIconCommand::kExitFailure);
    EXPECT_EQ(outcome.message, std::string("ondeline-icons: ") + GetParam().message + "\n");
    EXPECT_TRUE(folder.Names().empty());
}

const RefusedCase kRefused[] = {
    {"NoArguments", {}, "usage: ondeline-icons SIZE FILE [SIZE FILE]..."},
    {"SizeWithoutFile", {"32"}, "usage: ondeline-icons SIZE FILE [SIZE FILE]..."},
    {"ThreeArguments", {"32", "OUT", "16"}, "usage: ondeline-icons SIZE FILE [SIZE FILE]..."},
    {"TooSmall", {"7", "OUT"}, "the size \"7\" is not a whole number 8..1024"},
    {"TooLarge", {"1025", "OUT"}, "the size \"1025\" is not a whole number 8..1024"},
    {"Negative", {"-32", "OUT"}, "the size \"-32\" is not a whole number 8..1024"},
    {"NotANumber", {"3x", "OUT"}, "the size \"3x\" is not a whole number 8..1024"},
    {"Empty", {"", "OUT"}, "the size \"\" is not a whole number 8..1024"},
    {"Huge",
     {"99999999999999999999", "OUT"},
     "the size \"99999999999999999999\" is not a whole number 8..1024"},
};

INSTANTIATE_TEST_SUITE_P(Each, IconCommandRefuses, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IconCommand, AFolderThatIsNotThereFailsNamingTheFileAndLeavesNothing) {
    CScratchFolder folder;
    const std::string path = folder.File("missing/icon.png");
    const Outcome outcome = RunIcons({"32", path});
    EXPECT_EQ(outcome.status, CIconCommand::kExitFailure);
    EXPECT_EQ(outcome.message.rfind("ondeline-icons: cannot write " + path + ": ", 0), 0U)
        << outcome.message;
    EXPECT_EQ(std::count(outcome.message.begin(), outcome.message.end(), '\n'), 1);
    EXPECT_TRUE(folder.Names().empty());
}

TEST(IconCommand, AFailureLaterOnKeepsThePicturesAlreadyWhole) {
    CScratchFolder folder;
    const Outcome outcome = RunIcons({"16", folder.File("16.png"), "0", folder.File("0.png")});
    EXPECT_EQ(outcome.status, CIconCommand::kExitFailure);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"16.png"});
}

} // namespace
