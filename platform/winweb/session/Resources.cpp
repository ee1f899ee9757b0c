#include "res/StringTable.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

// The program's module and its string table.

namespace {

// The one module there is: the program. Its handle only has to be distinct from null.
struct ProgramModule {};
ProgramModule g_program;

} // namespace

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    return lpModuleName == nullptr ? reinterpret_cast<HMODULE>(&g_program) : nullptr;
}

int LoadStringA(HINSTANCE /*hInstance*/, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    const char* text = FindString(uID);
    if (lpBuffer == nullptr || cchBufferMax <= 0) {
        return 0;
    }
    const std::size_t length =
        text == nullptr ? 0
                        : std::min(std::strlen(text), static_cast<std::size_t>(cchBufferMax - 1));
    std::memcpy(lpBuffer, text == nullptr ? "" : text, length);
    lpBuffer[length] = '\0';
    return static_cast<int>(length);
}
