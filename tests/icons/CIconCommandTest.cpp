#include "tools/icons/CIconCommand.h"
#include "tests/tools/CScratchFolder.h"
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
