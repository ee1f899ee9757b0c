#include "platform/user/WindowSystem.h"
#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/WindowPeer.h"

#include <cstdint>
#include <cstring>

// What the predefined classes' procedures do to the page's elements.

// A page can be neither minimised, maximised nor restored; only closing means anything.
void ShowWindowCommand(WindowObject* /*dialog*/, UINT /*command*/) {}

LRESULT DefaultDialogMessage(WindowObject* dialog, UINT message, WPARAM /*wParam*/,
                             LPARAM /*lParam*/) {
    if (message == WM_PAINT) {
        // A paint nobody answered leaves the window as it is, and asks no more.
        dialog->peer->invalid.clear();
        dialog->peer->eraseAsked = false;
    }
    return 0;
}

bool IsChecked(const WindowObject* box) {
    return page_get_check(box->peer->element) != 0;
}

void SetChecked(WindowObject* box, bool checked) {
    page_set_check(box->peer->element, checked ? 1 : 0);
}

int ItemCount(const WindowObject* combo) {
    return combo->peer->itemCount;
}

int SelectedItem(const WindowObject* combo) {
    return page_get_selection(combo->peer->element);
}

void SelectItem(WindowObject* combo, int index) {
    page_set_selection(combo->peer->element, static_cast<std::int32_t>(index));
}

LRESULT AddItem(WindowObject* combo, const char* text) {
    page_add_item(combo->peer->element, text, static_cast<std::int32_t>(std::strlen(text)));
    return combo->peer->itemCount++;
}
