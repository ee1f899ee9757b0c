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

BOOL AfxSocketInit(WSAData* lpwsaData) {
    WSADATA data{};
    return ::WSAStartup(kSocketsVersion, lpwsaData != nullptr ? lpwsaData : &data) == 0 ? TRUE
                                                                                        : FALSE;
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT /*nIDHelp*/) {
    const CWnd* mainWnd = AfxGetMainWnd();
    return ::MessageBox(mainWnd == nullptr ? nullptr : mainWnd->m_hWnd,
                        lpszText == nullptr ? "" : lpszText, AfxGetApp()->m_pszAppName, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp);
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
