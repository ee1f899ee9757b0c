// The compiled resources, read back through Windows' own loader under Wine, against res/'s tables
// they were written from: the dialog templates field by field, the size list's data, the string
// table, the version block, the icon's images and the one the system draws, and the manifest and
// its effect.

#include "res/resource.h"
#include "res/DialogInit.h"
#include "res/DialogTemplate.h"
#include "res/IconImage.h"
#include "res/StringTable.h"
#include "res/VersionInfo.h"
#include "tests/surface/CBitmapTarget.h"
#include "tools/icons/CDropDrawing.h"
#include "tools/icons/CIconCommand.h"
#include "tools/icons/CRgbaImage.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t kOrdinalMark = 0xFFFF;
constexpr WORD kDialogInitType = 240;
constexpr int kStringIds = 0x10000;
// White, which reads the same as a COLORREF and as a DIB section's 0xRRGGBB.
constexpr std::uint32_t kBackground = 0xFFFFFF;
constexpr std::uint32_t kRgbMask = 0xFFFFFF;
constexpr int kHandSetBits = 4;               // 16 colours
constexpr int kLargestIconSize = 256;         // written as 0 in a directory's byte
constexpr DWORD kIconFormatVersion = 0x30000; // what CreateIconFromResourceEx expects
// The side-by-side assembly of the common controls' version 6, as its folder's name begins.
constexpr char kCommonControlsSix[] = "microsoft.windows.common-controls_6595b64144ccf1df_6.0.";

// Reads a resource's words in order, as the dialog manager does.
class Cursor {
public:
    explicit Cursor(const BYTE* at) : m_at(at) {}
    template <typename T> T Take() {
        T value;
        std::memcpy(&value, m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    // A string or an ordinal: text, or "#N" for ordinal N.
    std::string Name() {
        const auto first = Take<std::uint16_t>();
        if (first == kOrdinalMark) {
            return "#" + std::to_string(Take<std::uint16_t>());
        }
        std::string text;
        for (std::uint16_t c = first; c != 0; c = Take<std::uint16_t>()) {
            text += static_cast<char>(c);
        }
        return text;
    }
    void AlignToLong() {
        while (reinterpret_cast<std::uintptr_t>(m_at) % 4 != 0) {
            ++m_at;
        }
    }

private:
    const BYTE* m_at;
};

const BYTE* ResourceBytes(unsigned id, LPCSTR type, DWORD* size = nullptr) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) {
        return nullptr;
    }
    if (size != nullptr) {
        *size = SizeofResource(nullptr, found);
    }
    return static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
}

// One image of an icon group's directory, as the resource compiler wrote it.
struct IconDirectoryEntry {
    int size;
    int bitCount;
    unsigned id; // of its RT_ICON resource
};

std::vector<IconDirectoryEntry> IconDirectory(unsigned group) {
    const BYTE* bytes = ResourceBytes(group, MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
    if (bytes == nullptr) {
        return {};
    }
    Cursor in(bytes);
    in.Take<std::uint16_t>(); // reserved
    in.Take<std::uint16_t>(); // type: icons
    std::vector<IconDirectoryEntry> entries(in.Take<std::uint16_t>());
    for (IconDirectoryEntry& entry : entries) {
        const auto width = in.Take<std::uint8_t>();
        entry.size = width == 0 ? kLargestIconSize : width;
        in.Take<std::uint8_t>();  // height
        in.Take<std::uint8_t>();  // colours
        in.Take<std::uint8_t>();  // reserved
        in.Take<std::uint16_t>(); // planes
        entry.bitCount = in.Take<std::uint16_t>();
        in.Take<std::uint32_t>(); // bytes
        entry.id = in.Take<std::uint16_t>();
    }
    return entries;
}

// The icon drawn at size x size on white, 0xRRGGBB pixels with the top row first; none that
// matches anything where the drawing failed.
std::vector<std::uint32_t> DrawnOnWhite(HICON icon, int size) {
    const BITMAPINFO info = CBitmapTarget::Header(size, -size, 32);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<std::uint32_t> pixels;
    EXPECT_NE(bitmap, nullptr);
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        const RECT all = {0, 0, size, size};
        HBRUSH white = CreateSolidBrush(kBackground);
        FillRect(dc, &all, white);
        EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL));
        GdiFlush();
        const auto* drawn = static_cast<const std::uint32_t*>(bits);
        for (int at = 0; at < size * size; ++at) {
            pixels.push_back(drawn[at] & kRgbMask);
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteObject(white);
    }
    DeleteDC(dc);
    pixels.resize(static_cast<std::size_t>(size * size), ~0U);
    return pixels;
}

class ResourceDialog : public ::testing::TestWithParam<unsigned> {};

TEST_P(ResourceDialog, HoldsItsTemplateAsResTablesGiveIt) {
    const DialogTemplate* expected = FindDialogTemplate(GetParam());
    ASSERT_NE(expected, nullptr);
    const BYTE* bytes = ResourceBytes(GetParam(), MAKEINTRESOURCEA(5)); // RT_DIALOG
    ASSERT_NE(bytes, nullptr);
    Cursor in(bytes);
    // An extended template starts with its version 1 and the mark, then a help id.
    const bool extended = in.Take<std::uint32_t>() == (std::uint32_t{kOrdinalMark} << 16 | 1);
    ASSERT_EQ(extended, expected->extended);
    if (extended) {
        in.Take<std::uint32_t>();
    } else {
        in = Cursor(bytes);
    }
    const auto style = in.Take<std::uint32_t>();
    const auto exStyle = in.Take<std::uint32_t>();
    EXPECT_EQ(extended ? exStyle : style, expected->style);
    EXPECT_EQ(extended ? style : exStyle, expected->exStyle);
    const auto count = in.Take<std::uint16_t>();
    ASSERT_EQ(count, expected->items.size());
    EXPECT_EQ(in.Take<std::int16_t>(), expected->x);
    EXPECT_EQ(in.Take<std::int16_t>(), expected->y);
    EXPECT_EQ(in.Take<std::int16_t>(), expected->cx);
    EXPECT_EQ(in.Take<std::int16_t>(), expected->cy);
    EXPECT_EQ(in.Name(), "") << "menu";
    EXPECT_EQ(in.Name(), "") << "window class";
    EXPECT_EQ(in.Name(), expected->caption);
    EXPECT_EQ(in.Take<std::uint16_t>(), expected->pointSize);
    if (extended) {
        EXPECT_EQ(in.Take<std::uint16_t>(), expected->weight);
        EXPECT_EQ(in.Take<std::uint8_t>(), expected->italic ? 1 : 0);
        EXPECT_EQ(in.Take<std::uint8_t>(), expected->charset);
    }
    EXPECT_EQ(in.Name(), expected->fontFace);
    for (const DialogItemTemplate& item : expected->items) {
        SCOPED_TRACE("control " + std::to_string(item.id));
        in.AlignToLong();
        if (extended) {
            in.Take<std::uint32_t>(); // help id
        }
        const auto first = in.Take<std::uint32_t>();
        const auto second = in.Take<std::uint32_t>();
        EXPECT_EQ(extended ? second : first, item.style);
        EXPECT_EQ(extended ? first : second, item.exStyle);
        EXPECT_EQ(in.Take<std::int16_t>(), item.x);
        EXPECT_EQ(in.Take<std::int16_t>(), item.y);
        EXPECT_EQ(in.Take<std::int16_t>(), item.cx);
        EXPECT_EQ(in.Take<std::int16_t>(), item.cy);
        EXPECT_EQ(extended ? in.Take<std::int32_t>() : in.Take<std::int16_t>(), item.id);
        EXPECT_EQ(in.Name(), "#" + std::to_string(static_cast<unsigned>(item.itemClass)));
        EXPECT_EQ(in.Name(), item.textOrdinal != 0 ? "#" + std::to_string(item.textOrdinal)
                                                   : std::string(item.text ? item.text : ""));
        EXPECT_EQ(in.Take<std::uint16_t>(), 0) << "no creation data";
    }
}

INSTANTIATE_TEST_SUITE_P(Each, ResourceDialog, ::testing::Values(IDD_MAIN, IDD_ABOUTBOX));

TEST(Resources, HoldTheSizeListAsTheMainDialogsInitialisationData) {
    const BYTE* bytes = ResourceBytes(IDD_MAIN, MAKEINTRESOURCEA(kDialogInitType));
    ASSERT_NE(bytes, nullptr);
    Cursor in(bytes);
    for (const DialogInitEntry& entry : FindDialogInit(IDD_MAIN)) {
        EXPECT_EQ(in.Take<std::uint16_t>(), entry.controlId);
        EXPECT_EQ(in.Take<std::uint16_t>(), entry.message);
        const auto length = in.Take<std::uint32_t>();
        std::string data(length, '\0');
        for (char& c : data) {
            c = in.Take<char>();
        }
        EXPECT_EQ(data, std::string(entry.data) + '\0');
    }
    EXPECT_EQ(in.Take<std::uint16_t>(), 0) << "the list ends";
    EXPECT_EQ(ResourceBytes(IDD_ABOUTBOX, MAKEINTRESOURCEA(kDialogInitType)), nullptr);
}

TEST(Resources, HoldEveryStringOfTheTableAndNoOther) {
    int found = 0;
    for (int id = 0; id < kStringIds; ++id) {
        char text[256] = {};
        const int length = LoadStringA(nullptr, static_cast<UINT>(id), text, sizeof text);
        const char* expected = FindString(static_cast<unsigned>(id));
        EXPECT_EQ(std::string(text, static_cast<std::size_t>(length > 0 ? length : 0)),
                  expected != nullptr ? expected : "")
            << id;
        found += length > 0 ? 1 : 0;
    }
    EXPECT_EQ(found, 2);
}

TEST(Resources, HoldTheVersionBlock) {
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0U);
    std::vector<char> block(GetFileVersionInfoSizeA(path, nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data()));
    const VersionInfo& expected = GetVersionInfo();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    const auto packed = [](const std::uint16_t(&v)[4], DWORD ms, DWORD ls) {
        return ms == (DWORD{v[0]} << 16 | v[1]) && ls == (DWORD{v[2]} << 16 | v[3]);
    };
    EXPECT_TRUE(packed(expected.fileVersion, fixed->dwFileVersionMS, fixed->dwFileVersionLS));
    EXPECT_TRUE(
        packed(expected.productVersion, fixed->dwProductVersionMS, fixed->dwProductVersionLS));
    EXPECT_EQ(fixed->dwFileFlagsMask, expected.fileFlagsMask);
    EXPECT_EQ(fixed->dwFileFlags, expected.fileFlags);
    EXPECT_EQ(fixed->dwFileOS, expected.fileOS);
    EXPECT_EQ(fixed->dwFileType, expected.fileType);
    EXPECT_EQ(fixed->dwFileSubtype, expected.fileSubtype);
    for (const VersionString& entry : expected.strings) {
        const std::string query =
            std::string("\\StringFileInfo\\") + expected.stringTableKey + "\\" + entry.key;
        char* value = nullptr;
        ASSERT_TRUE(
            VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &size))
            << query;
        EXPECT_EQ(std::string(value), entry.value) << query;
    }
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &size));
    EXPECT_EQ(translation[0], expected.translationLanguage);
    EXPECT_EQ(translation[1], expected.translationCodePage);
}

// Each hand-set image is in the icon resource at 16 colours, for a display of 16 colours, and
// draws as it was set.
TEST(Resources, HoldTheHandSetIconImagesAtSixteenColours) {
    const IconGroup* group = FindIconGroup(IDR_MAINFRAME);
    ASSERT_NE(group, nullptr);
    const std::vector<IconDirectoryEntry> directory = IconDirectory(IDR_MAINFRAME);
    for (const IconImage& image : group->images) {
        SCOPED_TRACE(image.width);
        const auto entry =
            std::find_if(directory.begin(), directory.end(), [&](const IconDirectoryEntry& e) {
                return e.size == image.width && e.bitCount == kHandSetBits;
            });
        ASSERT_TRUE(entry != directory.end()) << "no 16-colour image of this size";
        DWORD size = 0;
        BYTE* bytes =
            const_cast<BYTE*>(ResourceBytes(entry->id, MAKEINTRESOURCEA(3), &size)); // RT_ICON
        ASSERT_NE(bytes, nullptr);
        HICON icon = CreateIconFromResourceEx(bytes, size, TRUE, kIconFormatVersion, image.width,
                                              image.height, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr);
        const std::vector<std::uint32_t> drawn = DrawnOnWhite(icon, image.width);
        DestroyIcon(icon);
        int wrong = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const int index = IconPixelIndex(image, x, y);
                const std::uint32_t expected =
                    index < 0 ? kBackground : image.palette[static_cast<std::size_t>(index)];
                wrong += drawn[static_cast<std::size_t>(y * image.width + x)] != expected ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// The icon as the system picks and draws it on white at each size it is asked for: the motif in
// full colour, which it prefers to the hand-set images at their own sizes, with its soft edges
// blended into the white to the same level as the installer's pictures blend them.
TEST(Resources, HoldTheIconThatTheSystemDrawsAsTheMotifInFullColour) {
    const std::optional<CDropDrawing> motif = CDropDrawing::OfIcon(FindIconGroup(IDR_MAINFRAME));
    ASSERT_TRUE(motif.has_value());
    for (const int size : CIconCommand::kWindowsIconSizes) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                                   MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                                   size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        const std::vector<std::uint32_t> drawn = DrawnOnWhite(icon, size);
        DestroyIcon(icon);
        const CRgbaImage expected = motif->Draw(size);
        int wrong = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const std::uint32_t want =
                    CRgbaImage::Over(expected.Pixel(x, y), kBackground) & kRgbMask;
                wrong += drawn[static_cast<std::size_t>(y * size + x)] != want ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// The manifest took effect at start: the process is aware of each monitor's scale, and the
// common controls it loads are those of the side-by-side assembly of version 6, not the system
// folder's version 5 (whose DllGetVersion Wine's version 6 shares, so the file's place tells).
TEST(Resources, HoldAManifestForPerMonitorScalingAndCommonControlsSix) {
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()),
              DPI_AWARENESS_PER_MONITOR_AWARE);
    HMODULE controls = LoadLibraryA("comctl32.dll");
    ASSERT_NE(controls, nullptr);
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(controls, path, MAX_PATH), 0U);
    std::string place = path;
    for (char& c : place) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_NE(place.find(kCommonControlsSix), std::string::npos) << path;
}

// Windows refuses to start a program whose manifest names another processor, and runs it as an
// older system's program unless the manifest lists its own among those the program knows, from
// Windows 7, the oldest it starts on.
TEST(Resources, HoldAManifestForThisProcessorAndTheSystemsFromWindowsSeven) {
    DWORD size = 0;
    const BYTE* bytes = ResourceBytes(1, MAKEINTRESOURCEA(24), &size); // RT_MANIFEST
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(reinterpret_cast<const char*>(bytes), size);
    const char* processor = sizeof(void*) == 4 ? "x86" : "amd64";
    EXPECT_NE(manifest.find(std::string("processorArchitecture=\"") + processor + "\""),
              std::string::npos)
        << manifest;
    for (const char* system : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",    // Windows 7
                               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) { // Windows 10 and 11
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + system + "\"/>"),
                  std::string::npos)
            << system;
    }
}

} // namespace
