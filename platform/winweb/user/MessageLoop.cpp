#include "platform/winweb/user/MessageLoop.h"

#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/session/UnwindStack.h"

namespace {

void Dispatch(const PageEvent& event) {
    WindowObject* window = FindWindowOfElement(event.element);
    if (window == nullptr) {
        return; // its window ended while the event was on its way
    }
    switch (event.kind) {
    case PageEventKind::Pointer:
        SendMessage(window, WM_LBUTTONDOWN, static_cast<WPARAM>(event.c),
                    MAKELPARAM(static_cast<WORD>(event.a), static_cast<WORD>(event.b)));
        break;
    case PageEventKind::Clicked:
        NotifyParent(window, BN_CLICKED);
        break;
    case PageEventKind::Selected:
        NotifyParent(window, CBN_SELCHANGE);
        break;
    case PageEventKind::Resized:
        TellClientSize(window, event.a, event.b);
        break;
    case PageEventKind::Timer:
        SendMessage(window, WM_TIMER, static_cast<WPARAM>(event.a), 0);
        break;
    case PageEventKind::Menu:
        SendMessage(window, WM_SYSCOMMAND, static_cast<WPARAM>(event.a), 0);
        break;
    case PageEventKind::Escape:
        SendMessage(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDCANCEL), BN_CLICKED),
                    reinterpret_cast<LPARAM>(FindChildWindow(window, IDCANCEL)));
        break;
    }
}

// Sends WM_PAINT to the first window with something to paint; false when none has.
bool PaintOne() {
    for (WindowObject* window : TopLevelWindows()) {
        if (window->peer->invalid.empty()) {
            continue;
        }
        SendMessage(window, WM_PAINT, 0, 0);
        // A window that painted nothing is not asked again for the same.
        if (WindowObject* still = FindWindowObject(window); still != nullptr) {
            still->peer->invalid.clear();
            still->peer->eraseAsked = false;
        }
        return true;
    }
    return false;
}

} // namespace

void RunMessageLoop(HWND hDlg) {
    for (;;) {
        const WindowObject* dialog = FindWindowObject(hDlg);
        if (dialog == nullptr || dialog->dialog.ended) {
            return;
        }
        PageEvent event{};
        if (page_next_event(&event) != 0) {
            Dispatch(event);
        } else if (!PaintOne()) {
            page_wait_event(FreshUnwindData());
        }
    }
}

void TellClientSize(WindowObject* window, int cx, int cy) {
    window->peer->placed = RECT{0, 0, cx, cy};
    if (cx != window->dialog.lastCx || cy != window->dialog.lastCy) {
        window->dialog.lastCx = cx;
        window->dialog.lastCy = cy;
        SendMessage(window, WM_SIZE, SIZE_RESTORED,
                    MAKELPARAM(static_cast<WORD>(cx), static_cast<WORD>(cy)));
    }
    // The page's canvas comes back empty from a change of size.
    if (WindowObject* still = FindWindowObject(window); still != nullptr) {
        InvalidateRect(still, nullptr, TRUE);
    }
}
