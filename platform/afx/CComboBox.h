#pragma once

#include "platform/afx/CWnd.h"

// A drop-down list of a dialog, bound with DDX_Control.
class CComboBox : public CWnd {
public:
    // The selected item's index, or CB_ERR (-1) when none is selected.
    int GetCurSel() const;
    // Selects item nSelect (-1 clears the selection) without a CBN_SELCHANGE notification;
    // returns the index, or CB_ERR when there is no such item.
    int SetCurSel(int nSelect);
};
