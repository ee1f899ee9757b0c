// Windows asks for the sockets' declarations before the rest of its API's.
#include <winsock2.h>

#include "platform/afx/Afx.h"
#include "platform/afx/CString.h"
#include "platform/afx/CWnd.h"
#ifdef _WIN32
#include "platform/afx/CWindowDpi.h"
#endif

namespace {

constexpr WORD kSocketsVersion = MAKEWORD(1, 1); // what the class library asks of the system

} // namespace

BOOL AfxSocketInit() {
    WSADATA data{};
    return ::WSAStartup(kSocketsVersion, &data) == 0 ? TRUE : FALSE;
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT /*nIDHelp*/) {
    CString text;
    text.LoadString(nIDPrompt);
    const CWnd* mainWnd = AfxGetMainWnd();
    return ::MessageBox(mainWnd == nullptr ? nullptr : mainWnd->m_hWnd, text,
                        AfxGetApp()->m_pszAppName, nType);
}

UINT AfxGetDpiForWindow(HWND hWnd) {
#ifdef _WIN32
    static const CWindowDpi dpi;
    return dpi.Of(hWnd);
#else
    // The Qt layer answers for each window on every system it runs on.
    return ::GetDpiForWindow(hWnd);
#endif
}
