#include "platform/dialog/DialogRecords.h"

#include "platform/user/WindowProcs.h"

namespace {

WindowKind KindOf(DialogItemClass itemClass) {
    switch (itemClass) {
    case DialogItemClass::Button:
        return WindowKind::Button;
    case DialogItemClass::ComboBox:
        return WindowKind::ComboBox;
    case DialogItemClass::Static:
        break;
    }
    return WindowKind::Static;
}

std::string WithoutPrefix(const char* text) {
    std::string shown;
    for (const char* at = text; *at != '\0'; ++at) {
        if (*at == '&' && at[1] != '\0') {
            ++at;
        }
        shown += *at;
    }
    return shown;
}

} // namespace

HWND RegisterDialog(const DialogTemplate& dialogTemplate, WNDPROC classProc, DLGPROC dialogProc) {
    auto record = std::make_unique<WindowObject>();
    record->kind = WindowKind::Dialog;
    record->wndProc = classProc;
    record->dialog.dlgProc = dialogProc;
    record->id = dialogTemplate.id;
    record->style = dialogTemplate.style;
    record->exStyle = dialogTemplate.exStyle;
    return RegisterWindow(std::move(record));
}

HWND RegisterControl(WindowObject* dialog, const DialogItemTemplate& item) {
    auto record = std::make_unique<WindowObject>();
    record->kind = KindOf(item.itemClass);
    record->wndProc = ClassWindowProc;
    record->parent = dialog;
    record->id = item.id;
    record->style = item.style;
    record->exStyle = item.exStyle;
    HWND hCtl = RegisterWindow(std::move(record));
    dialog->children.push_back(hCtl);
    return hCtl;
}

std::string ShownText(const DialogItemTemplate& item) {
    const char* text = item.text == nullptr ? "" : item.text;
    const bool isText = item.itemClass == DialogItemClass::Static &&
                        (item.style & SS_TYPEMASK) != SS_ICON &&
                        (item.style & SS_TYPEMASK) != SS_BLACKFRAME;
    return isText && (item.style & SS_NOPREFIX) == 0 ? WithoutPrefix(text) : std::string(text);
}
