#include "res/AccessibleText.h"
#include "res/resource.h"

#include <array>

namespace {

constexpr std::array kTexts = {
    AccessibleText{IDD_MAIN, IDC_FRAME, "Water",
                   "Rippling water. Click on it to drop a stone; rings spread from the point."},
    AccessibleText{IDD_MAIN, IDC_SIZE, "Grid size",
                   "How many cells the water has, across and down."},
    AccessibleText{IDD_MAIN, IDC_RAIN, nullptr, "Drops fall by themselves at random places."},
    AccessibleText{IDD_MAIN, IDC_DRIFT, nullptr,
                   "Every drop travels slowly to the right and down."},
    AccessibleText{IDD_MAIN, IDC_ADDCOLOR, nullptr,
                   "Tints the water lightly with red and green, following its level."},
    AccessibleText{IDD_MAIN, IDC_SPECTRUM, nullptr,
                   "Shows the color scale from top to bottom in a strip at the left edge."},
    AccessibleText{IDD_MAIN, IDC_STRETCH, nullptr,
                   "Scales the water to fill the frame instead of one screen pixel per cell."},
};

} // namespace

const AccessibleText* FindAccessibleText(unsigned dialogId, int controlId) {
    for (const AccessibleText& text : kTexts) {
        if (text.dialogId == dialogId && text.controlId == controlId) {
            return &text;
        }
    }
    return nullptr;
}
