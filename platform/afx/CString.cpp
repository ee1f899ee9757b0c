#include "platform/afx/CString.h"

#include "res/StringTable.h"

BOOL CString::LoadString(UINT nID) {
    const char* text = FindString(nID);
    m_str = text == nullptr ? "" : text;
    return text == nullptr ? FALSE : TRUE;
}
