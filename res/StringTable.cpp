#include "res/StringTable.h"
#include "res/resource.h"

#include <array>

namespace {

struct StringEntry {
    unsigned id;
    const char* text;
};

constexpr std::array kStrings = {
    StringEntry{IDS_ABOUTBOX, "&About Ondeline..."},
    StringEntry{IDP_SOCKETS_INIT_FAILED, "Windows sockets initialization failed."},
};

} // namespace

const char* FindString(unsigned id) {
    for (const StringEntry& entry : kStrings) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return nullptr;
}
