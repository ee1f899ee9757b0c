#pragma once

// Everything the dialog and application code take from the class library, in one include.

#include "platform/Afx.h"
#include "platform/CButton.h"
#include "platform/CComboBox.h"
#include "platform/CDataExchange.h"
#include "platform/CDialog.h"
#include "platform/CMenu.h"
#include "platform/CPaintDC.h"
#include "platform/CPoint.h"
#include "platform/CStatic.h"
#include "platform/CString.h"
#include "platform/CWinApp.h"
#include "platform/CWnd.h"
#include "platform/DialogData.h"
#include "platform/WinUser.h"
