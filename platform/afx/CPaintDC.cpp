#include "platform/afx/CPaintDC.h"

#include "platform/afx/CWnd.h"

CPaintDC::CPaintDC(CWnd* pWnd) {
    m_hWnd = pWnd == nullptr ? nullptr : pWnd->m_hWnd;
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    if (m_hDC != nullptr) {
        ::EndPaint(m_hWnd, &m_ps);
    }
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON hIcon) {
    return ::DrawIcon(m_hDC, x, y, hIcon);
}
