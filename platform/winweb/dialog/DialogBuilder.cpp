#include "platform/winweb/dialog/DialogBuilder.h"

#include "platform/winqt/dialog/DialogUnits.h"
#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/IconObject.h"
#include "platform/winweb/user/MessageLoop.h"
#include "platform/winweb/user/WindowProcs.h"
#include "res/AccessibleText.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

std::int32_t LengthOf(const char* text) {
    return text == nullptr ? 0 : static_cast<std::int32_t>(std::strlen(text));
}

// A static shows "&&" as "&" and drops a single "&", which marks a mnemonic.
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

// The dialog units of the page's font, in device pixels.
DialogBaseUnits PageBaseUnits() {
    std::int32_t metrics[2] = {0, 0};
    page_font_metrics(metrics);
    return DialogBaseUnits{std::max(1, AverageCharWidth(metrics[0])), std::max(1, metrics[1])};
}

PageElement ElementOf(const DialogItemTemplate& item) {
    switch (item.itemClass) {
    case DialogItemClass::Button:
        return (item.style & BS_TYPEMASK) == BS_AUTOCHECKBOX ? PageElement::CheckBox
                                                             : PageElement::Button;
    case DialogItemClass::ComboBox:
        return PageElement::Select;
    case DialogItemClass::Static:
        break;
    }
    switch (item.style & SS_TYPEMASK) {
    case SS_ICON:
        return PageElement::Picture;
    case SS_BLACKFRAME:
        return PageElement::Frame;
    default:
        return PageElement::Text;
    }
}

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

// Screen readers announce a control by its own text; the water and the size list have none, and
// a line on what an option does helps whoever cannot see the picture change.
void Describe(const WindowObject* control, unsigned dialogId) {
    const AccessibleText* text = FindAccessibleText(dialogId, control->id);
    if (text != nullptr) {
        page_describe(control->element, text->name, LengthOf(text->name), text->description,
                      LengthOf(text->description));
    }
}

void CreateControl(WindowObject* dialog, const DialogItemTemplate& item,
                   const DialogBaseUnits& base) {
    auto record = std::make_unique<WindowObject>();
    record->kind = KindOf(item.itemClass);
    record->wndProc = ClassWindowProc;
    record->parent = dialog;
    record->id = item.id;
    record->style = item.style;
    record->exStyle = item.exStyle;
    HWND hCtl = RegisterWindow(std::move(record));
    dialog->children.push_back(hCtl);

    const PageElement element = ElementOf(item);
    const char* text = item.text == nullptr ? "" : item.text;
    const std::string shown = element == PageElement::Text && (item.style & SS_NOPREFIX) == 0
                                  ? WithoutPrefix(text)
                                  : std::string(text);
    page_create(hCtl->element, element, dialog->element, shown.data(),
                static_cast<std::int32_t>(shown.size()));

    RECT place = MapDialogRect(RECT{item.x, item.y, item.x + item.cx, item.y + item.cy}, base);
    if (element == PageElement::Picture) {
        // An icon static takes the icon's size.
        place.right = place.left + GetSystemMetrics(SM_CXICON);
        place.bottom = place.top + GetSystemMetrics(SM_CYICON);
        ShowIconIn(hCtl->element, LoadIconResource(item.textOrdinal));
    }
    MoveWindow(hCtl, place.left, place.top, place.right - place.left, place.bottom - place.top,
               FALSE);
    if ((item.style & WS_VISIBLE) == 0) {
        page_show(hCtl->element, 0);
    }
    Describe(hCtl, static_cast<unsigned>(dialog->id));
}

} // namespace

HWND BuildDialog(const DialogTemplate& dialogTemplate, const WindowObject* owner, WNDPROC classProc,
                 DLGPROC dialogProc) {
    auto record = std::make_unique<WindowObject>();
    record->kind = WindowKind::Dialog;
    record->wndProc = classProc;
    record->dlgProc = dialogProc;
    record->id = dialogTemplate.id;
    record->style = dialogTemplate.style;
    record->exStyle = dialogTemplate.exStyle;
    HWND hDlg = RegisterWindow(std::move(record));

    const char* caption = dialogTemplate.caption == nullptr ? "" : dialogTemplate.caption;
    const PageElement element = owner == nullptr ? PageElement::Page : PageElement::Dialog;
    page_create(hDlg->element, element, owner == nullptr ? 0 : owner->element, caption,
                LengthOf(caption));

    const DialogBaseUnits base = PageBaseUnits();
    for (const DialogItemTemplate& item : dialogTemplate.items) {
        CreateControl(hDlg, item, base);
    }
    // The page is as large as the browser makes it; a dialog inside it as its template says.
    std::int32_t size[2] = {0, 0};
    if (element == PageElement::Page) {
        page_client_size(hDlg->element, size);
    } else {
        const RECT client = MapDialogRect(RECT{0, 0, dialogTemplate.cx, dialogTemplate.cy}, base);
        size[0] = client.right;
        size[1] = client.bottom;
        page_resize(hDlg->element, size[0], size[1]);
    }
    // The window system reports the first size while it makes the window, before
    // WM_INITDIALOG.
    TellClientSize(hDlg, size[0], size[1]);
    return FindWindowObject(hDlg) != nullptr ? hDlg : nullptr;
}
