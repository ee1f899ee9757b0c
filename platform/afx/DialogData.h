#pragma once

// The exchanges a DoDataExchange makes. They sit above both the window and the exchange it
// hands out, so that neither has to know them.

#include "platform/afx/CDataExchange.h"

class CWnd;

// Binds rControl to the dialog's control nIDC the first time it runs; afterwards it does nothing.
// A template without that control leaves rControl unbound (m_hWnd null).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
