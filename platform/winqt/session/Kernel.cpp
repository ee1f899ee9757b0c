#include "res/StringTable.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>

// The program's module, its strings and the arithmetic the system offers beside them.

namespace {

// The one module there is: the program. Its handle only has to be distinct from null.
struct ProgramModule {};
ProgramModule g_program;

} // namespace

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    return lpModuleName == nullptr ? reinterpret_cast<HMODULE>(&g_program) : nullptr;
}

int LoadStringA(HINSTANCE /*hInstance*/, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    if (lpBuffer == nullptr || cchBufferMax <= 0) {
        return 0;
    }
    const char* found = FindString(uID);
    const std::string_view text = found == nullptr ? "" : found;
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(cchBufferMax - 1));
    text.copy(lpBuffer, length);
    lpBuffer[length] = '\0';
    return static_cast<int>(length);
}

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    // Move the divisor's sign into the product, then round the magnitude half up.
    const std::int64_t sign = denominator < 0 ? -1 : 1;
    const std::int64_t divisor = sign * denominator;
    const std::int64_t product = sign * static_cast<std::int64_t>(number) * numerator;
    const std::int64_t quotient =
        product >= 0 ? (product + divisor / 2) / divisor : -((-product + divisor / 2) / divisor);
    if (quotient > INT_MAX || quotient < INT_MIN) {
        return -1;
    }
    return static_cast<int>(quotient);
}
