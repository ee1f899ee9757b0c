#include "platform/winqt/DialogUnits.h"

#include <climits>
#include <cstdint>

namespace {

constexpr int kQuartersPerChar = 4; // dialog units across one average character
constexpr int kEighthsPerLine = 8;  // dialog units down one character height
constexpr int kLettersInAlphabet = 26;

} // namespace

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

RECT MapDialogRect(const RECT& rc, const DialogBaseUnits& base) {
    return RECT{
        MulDiv(rc.left, base.cx, kQuartersPerChar), MulDiv(rc.top, base.cy, kEighthsPerLine),
        MulDiv(rc.right, base.cx, kQuartersPerChar), MulDiv(rc.bottom, base.cy, kEighthsPerLine)};
}

int AverageCharWidth(int alphabetWidth) {
    return (alphabetWidth / kLettersInAlphabet + 1) / 2;
}
