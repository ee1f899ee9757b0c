#pragma once

#include "platform/afx/Afx.h"
#include "platform/afx/CButton.h"
#include "platform/afx/CComboBox.h"
#include "platform/afx/CDataExchange.h"
#include "platform/afx/CDialog.h"
#include "platform/afx/CMenu.h"
#include "platform/afx/CPaintDC.h"
#include "platform/afx/CPoint.h"
#include "platform/afx/CStatic.h"
#include "platform/afx/CString.h"
#include "platform/afx/CWinApp.h"
#include "platform/afx/CWnd.h"
#include "platform/afx/DialogData.h"
#include <windows.h>
