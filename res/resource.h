#pragma once

// Resource identifiers: dialogs, controls, strings, prompts, the icon and menu commands.

#include <windows.h>

// The SDK names one of its cursors IDC_SIZE; here the name is the size list's, as the dialog's
// design has it, and the cursor is never asked for.
#undef IDC_SIZE

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDP_SOCKETS_INIT_FAILED 103
#define IDR_MAINFRAME 128

#define IDC_RAIN 1000
#define IDC_FRAME 1001
#define IDC_STRETCH 1002
#define IDC_DRIFT 1003
#define IDC_SIZE 1004
#define IDC_SPECTRUM 1005
#define IDC_ADDCOLOR 1006

#define IDM_ABOUTBOX 0x0010

#define IDC_STATIC (-1)
