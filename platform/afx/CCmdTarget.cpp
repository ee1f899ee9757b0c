#include "platform/afx/CCmdTarget.h"

namespace {

// Command ids from here up are the window system's own and never reach the application.
constexpr UINT kFirstSystemCommand = 0xF000;

bool Matches(const AFX_MSGMAP_ENTRY& entry, UINT nMessage, UINT nCode, UINT nID) {
    if (entry.nMessage != nMessage) {
        return false;
    }
    if (nMessage != WM_COMMAND) {
        return true;
    }
    return entry.nCode == nCode && entry.nID <= nID && nID <= entry.nLastID;
}

const AFX_MSGMAP_ENTRY kNoEntries[] = {{0, 0, 0, 0, nullptr}};

} // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP messageMap = {nullptr, &kNoEntries[0]};
    return &messageMap;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfn != nullptr; ++entry) {
            if (Matches(*entry, nMessage, nCode, nID)) {
                return entry;
            }
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, UINT nCode) {
    if (nID >= kFirstSystemCommand) {
        return FALSE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_COMMAND, nCode, nID);
    if (entry == nullptr) {
        return FALSE;
    }
    entry->pfn(this, MAKEWPARAM(static_cast<WORD>(nID), static_cast<WORD>(nCode)), 0);
    return TRUE;
}
