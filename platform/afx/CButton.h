#pragma once

#include "platform/afx/CWnd.h"

// A push button or check box of a dialog, bound with DDX_Control.
class CButton : public CWnd {
public:
    // BST_CHECKED (exactly 1) when checked, BST_UNCHECKED (0) when not.
    int GetCheck() const;
};
