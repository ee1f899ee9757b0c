#pragma once

// The version block: the numbers and strings a file-properties view shows for the program.

#include <cstdint>
#include <span>

struct VersionString {
    const char* key;
    const char* value;
};

struct VersionInfo {
    std::uint16_t fileVersion[4];
    std::uint16_t productVersion[4];
    std::uint32_t fileFlagsMask;
    std::uint32_t fileFlags;
    std::uint32_t fileOS;
    std::uint32_t fileType;
    std::uint32_t fileSubtype;
    const char* stringTableKey; // language and code page, as hexadecimal text
    std::span<const VersionString> strings;
    std::uint16_t translationLanguage;
    std::uint16_t translationCodePage;
};

const VersionInfo& GetVersionInfo();

// The value of the string table entry key; null when there is no such entry.
const char* FindVersionString(const char* key);
