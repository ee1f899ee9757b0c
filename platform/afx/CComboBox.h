#pragma once

#include "platform/afx/CWnd.h"

// A drop-down list of a dialog, bound with DDX_Control.
class CComboBox : public CWnd {
public:
    // CB_ERR when nothing is selected.
    int GetCurSel() const;
    // -1 clears the selection; no CBN_SELCHANGE is sent. CB_ERR when there is no such item.
    int SetCurSel(int nSelect);
};
