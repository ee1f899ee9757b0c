#include "platform/afx/CComboBox.h"

int CComboBox::GetCurSel() const {
    // Without a window there is no selection either.
    if (::IsWindow(m_hWnd) == FALSE) {
        return CB_ERR;
    }
    return static_cast<int>(::SendMessage(m_hWnd, CB_GETCURSEL, 0, 0));
}

int CComboBox::SetCurSel(int nSelect) {
    if (::IsWindow(m_hWnd) == FALSE) {
        return CB_ERR;
    }
    return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect), 0));
}
