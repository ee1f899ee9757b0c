#pragma once

#include "platform/afx/CWnd.h"

// A static control (text, icon or frame) of a dialog, bound with DDX_Control. Clicks pass
// through it to the dialog beneath.
class CStatic : public CWnd {};
