#include "res/VersionInfo.h"

#include <array>
#include <cstring>

namespace {

constexpr std::uint32_t kFlagsMask = 0x3F;      // every flag the block could carry is meaningful
constexpr std::uint32_t kNoFlags = 0;           // not a debug, patched or pre-release build
constexpr std::uint32_t kOsWindows32 = 0x4;     // made for 32-bit Windows
constexpr std::uint32_t kTypeApplication = 0x1; // a program, not a library
constexpr std::uint16_t kUsEnglish = 0x0409;    // the strings' language
constexpr std::uint16_t kUnicode = 0x04B0;      // and their code page

constexpr std::array kStrings = {
    VersionString{"CompanyName", ""},
    VersionString{"FileDescription", "ONDELINE MFC Application"},
    VersionString{"FileVersion", "1, 0, 0, 1"},
    VersionString{"InternalName", "ONDELINE"},
    VersionString{"LegalCopyright", "Made by the Ondeline developers."},
    VersionString{"LegalTrademarks", ""},
    VersionString{"OriginalFilename", "ONDELINE.EXE"},
    VersionString{"ProductName", "ONDELINE Application"},
    VersionString{"ProductVersion", "1, 0, 0, 1"},
};

constexpr VersionInfo kVersion = {
    .fileVersion = {1, 0, 0, 1},
    .productVersion = {1, 0, 0, 1},
    .fileFlagsMask = kFlagsMask,
    .fileFlags = kNoFlags,
    .fileOS = kOsWindows32,
    .fileType = kTypeApplication,
    .fileSubtype = 0,
    .stringTableKey = "040904B0",
    .strings = kStrings,
    .translationLanguage = kUsEnglish,
    .translationCodePage = kUnicode,
};

} // namespace

const VersionInfo& GetVersionInfo() {
    return kVersion;
}

const char* FindVersionString(const char* key) {
    if (key == nullptr) {
        return nullptr;
    }
    for (const VersionString& entry : kVersion.strings) {
        if (std::strcmp(entry.key, key) == 0) {
            return entry.value;
        }
    }
    return nullptr;
}
