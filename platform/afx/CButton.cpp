#include "platform/afx/CButton.h"

int CButton::GetCheck() const {
    return static_cast<int>(::SendMessage(m_hWnd, BM_GETCHECK, 0, 0));
}
