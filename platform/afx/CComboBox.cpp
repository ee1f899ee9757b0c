#include "platform/afx/CComboBox.h"

#include "platform/winqt/WindowObject.h"

int CComboBox::GetCurSel() const {
    // Without a window there is no selection either.
    if (FindWindowObject(m_hWnd) == nullptr) {
        return CB_ERR;
    }
    return static_cast<int>(::SendMessage(m_hWnd, CB_GETCURSEL, 0, 0));
}

int CComboBox::SetCurSel(int nSelect) {
    if (FindWindowObject(m_hWnd) == nullptr) {
        return CB_ERR;
    }
    return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect), 0));
}

int CComboBox::GetCount() const {
    return static_cast<int>(::SendMessage(m_hWnd, CB_GETCOUNT, 0, 0));
}
