#include <windows.h>

// What the system measures for the program: the icon sizes, at the standard scale, which the
// icon resource holds exactly.

namespace {

constexpr int kIconSize = 32;      // SM_CXICON and SM_CYICON
constexpr int kSmallIconSize = 16; // SM_CXSMICON and SM_CYSMICON

} // namespace

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXICON:
    case SM_CYICON:
        return kIconSize;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return kSmallIconSize;
    default:
        return 0;
    }
}
