#include "platform/dialog/DialogRecords.h"
#include "platform/dialog/DialogUnits.h"
#include "platform/user/WindowSystem.h"
#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/IconObject.h"
#include "platform/winweb/user/MessageLoop.h"
#include "res/AccessibleText.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

std::int32_t LengthOf(const char* text) {
    return text == nullptr ? 0 : static_cast<std::int32_t>(std::strlen(text));
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

// Screen readers announce a control by its own text; the water and the size list have none, and
// a line on what an option does helps whoever cannot see the picture change.
void Describe(const WindowObject* control, unsigned dialogId) {
    const AccessibleText* text = FindAccessibleText(dialogId, control->id);
    if (text != nullptr) {
        page_describe(control->peer->element, text->name, LengthOf(text->name), text->description,
                      LengthOf(text->description));
    }
}

void CreateControl(WindowObject* dialog, const DialogItemTemplate& item,
                   const DialogBaseUnits& base) {
    HWND hCtl = RegisterControl(dialog, item);
    const PageElement element = ElementOf(item);
    const std::string shown = ShownText(item);
    page_create(hCtl->peer->element, element, dialog->peer->element, shown.data(),
                static_cast<std::int32_t>(shown.size()));

    RECT place = MapDialogRect(RECT{item.x, item.y, item.x + item.cx, item.y + item.cy}, base);
    if (element == PageElement::Picture) {
        // An icon static takes the icon's size.
        place.right = place.left + GetSystemMetrics(SM_CXICON);
        place.bottom = place.top + GetSystemMetrics(SM_CYICON);
        ShowIconIn(hCtl->peer->element, LoadIconResource(item.textOrdinal));
    }
    MoveWindow(hCtl, place.left, place.top, place.right - place.left, place.bottom - place.top,
               FALSE);
    if ((item.style & WS_VISIBLE) == 0) {
        page_show(hCtl->peer->element, 0);
    }
    Describe(hCtl, static_cast<unsigned>(dialog->id));
}

} // namespace

// A dialog without an owner is the page itself, with its caption as the page's title; one with
// an owner opens inside the page over it. The controls are the page's own (check boxes, buttons,
// a <select>), placed by the template's dialog units scaled from the page's font.
HWND BuildDialog(const DialogTemplate& dialogTemplate, HWND hOwner, WNDPROC classProc,
                 DLGPROC dialogProc) {
    const WindowObject* owner = FindWindowObject(hOwner);
    HWND hDlg = RegisterDialog(dialogTemplate, classProc, dialogProc);

    const char* caption = dialogTemplate.caption == nullptr ? "" : dialogTemplate.caption;
    const PageElement element = owner == nullptr ? PageElement::Page : PageElement::Dialog;
    page_create(hDlg->peer->element, element, owner == nullptr ? 0 : owner->peer->element, caption,
                LengthOf(caption));

    const DialogBaseUnits base = PageBaseUnits();
    for (const DialogItemTemplate& item : dialogTemplate.items) {
        CreateControl(hDlg, item, base);
    }
    // The page is as large as the browser makes it; a dialog inside it as its template says.
    std::int32_t size[2] = {0, 0};
    if (element == PageElement::Page) {
        page_client_size(hDlg->peer->element, size);
    } else {
        const RECT client = MapDialogRect(RECT{0, 0, dialogTemplate.cx, dialogTemplate.cy}, base);
        size[0] = client.right;
        size[1] = client.bottom;
        page_resize(hDlg->peer->element, size[0], size[1]);
    }
    // The window system reports the first size while it makes the window, before
    // WM_INITDIALOG.
    TellClientSize(hDlg, size[0], size[1]);
    return FindWindowObject(hDlg) != nullptr ? hDlg : nullptr;
}
