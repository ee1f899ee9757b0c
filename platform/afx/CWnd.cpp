#include "platform/afx/CWnd.h"

#include "platform/afx/CDataExchange.h"
#include "platform/afx/CMenu.h"
#include "platform/afx/CWinApp.h"

#include <unordered_map>

namespace {

// The message being handled, for Default.
struct CurrentMessage {
    HWND hWnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

CurrentMessage g_currentMessage;

// The object bound to each window. Never destroyed: objects with static storage may still end
// their windows during exit.
std::unordered_map<HWND, CWnd*>& BoundWindows() {
    static auto* windows = new std::unordered_map<HWND, CWnd*>;
    return *windows;
}

// The icon's own image at the small size, from the resource it was loaded from: the small slot
// would otherwise show the large image shrunk. Made once for each icon and kept, as the
// resource's icons are, for the life of the process; the icon itself when no copy can be made.
HICON SmallImageOf(HICON hIcon) {
    static auto* copies = new std::unordered_map<HICON, HICON>;
    if (hIcon == nullptr) {
        return nullptr;
    }
    if (const auto found = copies->find(hIcon); found != copies->end()) {
        return found->second;
    }
    auto hSmall =
        static_cast<HICON>(::CopyImage(hIcon, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                       ::GetSystemMetrics(SM_CYSMICON), LR_COPYFROMRESOURCE));
    if (hSmall == nullptr) {
        hSmall = hIcon;
    }
    copies->emplace(hIcon, hSmall);
    return hSmall;
}

} // namespace

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == nullptr) {
        return 0;
    }
    const CurrentMessage previous = g_currentMessage;
    g_currentMessage = CurrentMessage{hWnd, message, wParam, lParam};
    const LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    g_currentMessage = previous;
    return result;
}

CWnd::~CWnd() {
    if (m_hWnd != nullptr && m_bOwnsWindow != FALSE) {
        DestroyWindow();
    }
    // A window this object was only bound to goes on without it, its own procedure taking its
    // messages again.
    if (m_hWnd != nullptr) {
        ::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        Detached();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    const auto found = BoundWindows().find(hWnd);
    return found == BoundWindows().end() ? nullptr : found->second;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    if (lpRect != nullptr && ::GetClientRect(m_hWnd, lpRect) == FALSE) {
        *lpRect = RECT{0, 0, 0, 0};
    }
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
    if (lpRect != nullptr && ::GetWindowRect(m_hWnd, lpRect) == FALSE) {
        *lpRect = RECT{0, 0, 0, 0};
    }
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const {
    ::ScreenToClient(m_hWnd, lpPoint);
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const {
    ::ClientToScreen(m_hWnd, lpPoint);
}

void CWnd::ScreenToClient(LPRECT lpRect) const {
    if (lpRect == nullptr) {
        return;
    }
    POINT topLeft{lpRect->left, lpRect->top};
    POINT bottomRight{lpRect->right, lpRect->bottom};
    ScreenToClient(&topLeft);
    ScreenToClient(&bottomRight);
    *lpRect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, x, y, nWidth < 0 ? 0 : nWidth, nHeight < 0 ? 0 : nHeight, bRepaint);
}

void CWnd::InvalidateRect(const RECT* lpRect, BOOL bErase) {
    ::InvalidateRect(m_hWnd, lpRect, bErase);
}

void CWnd::Invalidate(BOOL bErase) {
    InvalidateRect(nullptr, bErase);
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}

BOOL CWnd::DestroyWindow() {
    if (::IsWindow(m_hWnd) == FALSE) {
        return FALSE;
    }
    // Its WM_NCDESTROY unbinds this object.
    return ::DestroyWindow(m_hWnd);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const {
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    const bool bBig = bBigIcon != FALSE;
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBig ? ICON_BIG : ICON_SMALL,
                    reinterpret_cast<LPARAM>(bBig ? hIcon : SmallImageOf(hIcon))));
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (m_hWnd != nullptr || ::IsWindow(hWnd) == FALSE || FromHandlePermanent(hWnd) != nullptr) {
        return FALSE;
    }
    BoundWindows()[hWnd] = this;
    m_hWnd = hWnd;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtr(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (pParent == nullptr) {
        return FALSE;
    }
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

void CWnd::Detached() {
    BoundWindows().erase(m_hWnd);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
}

BOOL CWnd::UpdateData(BOOL /*bSaveAndValidate*/) {
    CDataExchange dx(this);
    DoDataExchange(&dx);
    return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The window's last message: it goes on to the window's own procedure, and then this object
    // stands for no window any more.
    if (message == WM_NCDESTROY) {
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        Detached();
        return result;
    }
    const UINT code = message == WM_COMMAND ? HIWORD(wParam) : 0;
    const UINT id = message == WM_COMMAND ? LOWORD(wParam) : 0;
    if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, code, id)) {
        return entry->pfn(this, wParam, lParam);
    }
    // F1 asks for the help command, which the window or else the application may handle.
    if (message == WM_HELP) {
        return WindowProc(WM_COMMAND, ID_HELP, 0);
    }
    // A command no window handles goes on to the application, as ID_HELP does.
    if (message == WM_COMMAND && lParam == 0 && AfxGetApp()->OnCmdMsg(id, code) != FALSE) {
        return 0;
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (m_hWnd == nullptr || g_currentMessage.hWnd != m_hWnd) {
        return 0;
    }
    return DefWindowProc(g_currentMessage.message, g_currentMessage.wParam,
                         g_currentMessage.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper == nullptr) {
        return 0;
    }
    return ::CallWindowProc(m_pfnSuper, m_hWnd, message, wParam, lParam);
}
