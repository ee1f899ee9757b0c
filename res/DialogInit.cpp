#include "res/DialogInit.h"
#include "res/resource.h"

#include <array>

namespace {

// The size list of the main dialog, smallest first: item i is a grid of 25 x (i + 1) cells.
constexpr std::array kMainInit = {
    DialogInitEntry{IDC_SIZE, kDlgInitComboAddString, "25 x 25"},
    DialogInitEntry{IDC_SIZE, kDlgInitComboAddString, "50 x 50"},
    DialogInitEntry{IDC_SIZE, kDlgInitComboAddString, "75 x 75"},
    DialogInitEntry{IDC_SIZE, kDlgInitComboAddString, "100 x 100"},
    DialogInitEntry{IDC_SIZE, kDlgInitComboAddString, "125 x 125"},
    DialogInitEntry{IDC_SIZE, kDlgInitComboAddString, "150 x 150"},
    DialogInitEntry{IDC_SIZE, kDlgInitComboAddString, "175 x 175"},
    DialogInitEntry{IDC_SIZE, kDlgInitComboAddString, "200 x 200"},
};

} // namespace

std::span<const DialogInitEntry> FindDialogInit(unsigned dialogId) {
    if (dialogId == IDD_MAIN) {
        return kMainInit;
    }
    return {};
}
