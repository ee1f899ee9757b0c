#include "res/DialogTemplate.h"
#include "res/resource.h"

#include <array>

namespace {

// The class library names the dialog's Enter and Escape commands 1 and 2.
constexpr std::int32_t kIdOk = 1;
constexpr std::int32_t kIdCancel = 2;
// Statics that nobody addresses.
constexpr std::int32_t kIdStatic = IDC_STATIC;
// The font the templates ask for; the platform offers its own in its place.
constexpr const char* kFontFace = "MS Sans Serif";
constexpr std::uint16_t kFontPoints = 8;
constexpr std::uint8_t kDefaultCharset = 1;

// The main dialog: the option boxes and the size list in a column on the left, the frame that
// shows the water on the right. OK and Cancel exist only so that Enter and Escape have commands
// to send; they are never shown.
constexpr std::array kMainItems = {
    DialogItemTemplate{kIdOk, DialogItemClass::Button, "OK", 0,
                       0x40010001, // default push button, tab stop, not visible
                       0, 143, 32, 8, 14},
    DialogItemTemplate{kIdCancel, DialogItemClass::Button, "Cancel", 0,
                       0x40010000, // push button, tab stop, not visible
                       0, 149, 52, 7, 14},
    DialogItemTemplate{IDC_RAIN, DialogItemClass::Button, "Rain", 0,
                       0x50010003, // auto check box, tab stop, visible
                       0, 15, 65, 48, 9},
    DialogItemTemplate{IDC_FRAME, DialogItemClass::Static, nullptr, 0,
                       0x50000007, // black frame, visible
                       0x00000200, // sunken client edge
                       82, 7, 141, 128},
    DialogItemTemplate{IDC_STRETCH, DialogItemClass::Button, "Stretch", 0,
                       0x50010003, // auto check box, tab stop, visible
                       0, 15, 119, 52, 10},
    DialogItemTemplate{IDC_DRIFT, DialogItemClass::Button, "Drift", 0,
                       0x50010003, // auto check box, tab stop, visible
                       0, 15, 79, 48, 9},
    DialogItemTemplate{IDC_SIZE, DialogItemClass::ComboBox, nullptr, 0,
                       0x50210003, // drop-down list, vertical scroll, tab stop, visible, unsorted
                       0, 7, 7, 71, 128},
    DialogItemTemplate{IDC_SPECTRUM, DialogItemClass::Button, "Spectrum", 0,
                       0x50010003, // auto check box, tab stop, visible
                       0, 15, 105, 47, 10},
    DialogItemTemplate{IDC_ADDCOLOR, DialogItemClass::Button, "Add Color", 0,
                       0x50010003, // auto check box, tab stop, visible
                       0, 15, 95, 47, 10},
};

constexpr std::array kAboutItems = {
    DialogItemTemplate{kIdStatic, DialogItemClass::Static, nullptr, IDR_MAINFRAME,
                       0x50000003, // icon, visible
                       0, 11, 17, 20, 20},
    DialogItemTemplate{kIdStatic, DialogItemClass::Static, "Ondeline Version 1.0", 0,
                       0x50020080, // visible, group, no prefix
                       0, 40, 10, 119, 8},
    DialogItemTemplate{kIdStatic, DialogItemClass::Static, "A calm patch of water.", 0,
                       0x50020000, // visible, group
                       0, 40, 25, 119, 8},
    DialogItemTemplate{kIdOk, DialogItemClass::Button, "OK", 0,
                       0x50030001, // default push button, group, tab stop, visible
                       0, 178, 7, 32, 14},
};

constexpr std::array kTemplates = {
    DialogTemplate{
        IDD_MAIN, true,
        0x90CF0040, // popup, visible, caption, system menu, thick frame, min and max boxes, font
        0x00040000, // application window
        0, 0, 230, 142, "Ondeline", kFontFace, kFontPoints, 0, false, kDefaultCharset, kMainItems},
    DialogTemplate{IDD_ABOUTBOX, false,
                   0x80C800C0, // popup, caption, system menu, modal frame, font
                   0, 0, 0, 217, 55, "About Ondeline", kFontFace, kFontPoints, 0, false, 0,
                   kAboutItems},
};

} // namespace

const DialogTemplate* FindDialogTemplate(unsigned id) {
    for (const DialogTemplate& dialog : kTemplates) {
        if (dialog.id == id) {
            return &dialog;
        }
    }
    return nullptr;
}
