#pragma once

#include "platform/afx/CWnd.h"

// A push button or check box of a dialog, bound with DDX_Control.
class CButton : public CWnd {
public:
    int GetCheck() const;
};
