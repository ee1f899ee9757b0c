#include "platform/afx/DialogData.h"

#include "platform/afx/CWnd.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (pDX == nullptr || rControl.m_hWnd != nullptr) {
        return;
    }
    rControl.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd);
}
