#include "res/DialogTemplate.h"
#include "res/resource.h"

#include <windows.h>

#include <array>

namespace {

// The dialog's Enter and Escape commands.
constexpr std::int32_t kIdOk = IDOK;
constexpr std::int32_t kIdCancel = IDCANCEL;
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
                       WS_CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON, // not visible
                       0, 143, 32, 8, 14},
    DialogItemTemplate{kIdCancel, DialogItemClass::Button, "Cancel", 0,
                       WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, // not visible
                       0, 149, 52, 7, 14},
    DialogItemTemplate{IDC_RAIN, DialogItemClass::Button, "Rain", 0,
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 15, 65, 48, 9},
    DialogItemTemplate{IDC_FRAME, DialogItemClass::Static, nullptr, 0,
                       WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, WS_EX_CLIENTEDGE, 82, 7, 141, 128},
    DialogItemTemplate{IDC_STRETCH, DialogItemClass::Button, "Stretch", 0,
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 15, 119, 52, 10},
    DialogItemTemplate{IDC_DRIFT, DialogItemClass::Button, "Drift", 0,
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 15, 79, 48, 9},
    DialogItemTemplate{IDC_SIZE, DialogItemClass::ComboBox, nullptr, 0,
                       WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 7, 7,
                       71, 128},
    DialogItemTemplate{IDC_SPECTRUM, DialogItemClass::Button, "Spectrum", 0,
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 15, 105, 47, 10},
    DialogItemTemplate{IDC_ADDCOLOR, DialogItemClass::Button, "Add Color", 0,
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 15, 95, 47, 10},
};

constexpr std::array kAboutItems = {
    DialogItemTemplate{kIdStatic, DialogItemClass::Static, nullptr, IDR_MAINFRAME,
                       WS_CHILD | WS_VISIBLE | SS_ICON, 0, 11, 17, 20, 20},
    DialogItemTemplate{kIdStatic, DialogItemClass::Static, "Ondeline Version 1.0", 0,
                       WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT | SS_NOPREFIX, 0, 40, 10, 119, 8},
    DialogItemTemplate{kIdStatic, DialogItemClass::Static, "A calm patch of water.", 0,
                       WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0, 40, 25, 119, 8},
    DialogItemTemplate{kIdOk, DialogItemClass::Button, "OK", 0,
                       WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 178, 7,
                       32, 14},
};

constexpr std::array kTemplates = {
    DialogTemplate{IDD_MAIN, true,
                   WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                       WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_SETFONT,
                   WS_EX_APPWINDOW, 0, 0, 230, 142, "Ondeline", kFontFace, kFontPoints, 0, false,
                   kDefaultCharset, kMainItems},
    DialogTemplate{IDD_ABOUTBOX, false,
                   WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 217,
                   55, "About Ondeline", kFontFace, kFontPoints, 0, false, 0, kAboutItems},
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
