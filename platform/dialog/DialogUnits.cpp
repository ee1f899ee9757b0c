#include "platform/dialog/DialogUnits.h"

namespace {

constexpr int kQuartersPerChar = 4; // dialog units across one average character
constexpr int kEighthsPerLine = 8;  // dialog units down one character height
constexpr int kLettersInAlphabet = 26;

} // namespace

RECT MapDialogRect(const RECT& rc, const DialogBaseUnits& base) {
    return RECT{
        MulDiv(rc.left, base.cx, kQuartersPerChar), MulDiv(rc.top, base.cy, kEighthsPerLine),
        MulDiv(rc.right, base.cx, kQuartersPerChar), MulDiv(rc.bottom, base.cy, kEighthsPerLine)};
}

int AverageCharWidth(int alphabetWidth) {
    return (alphabetWidth / kLettersInAlphabet + 1) / 2;
}
