#include "platform/winweb/session/PageCalls.h"

#include <windows.h>

#include <cstring>

// Only the OK box is made, which is the only one the program shows: the browser's own, which
// returns once dismissed.
int MessageBoxA(HWND /*hWnd*/, LPCSTR lpText, LPCSTR lpCaption, UINT /*uType*/) {
    const char* text = lpText == nullptr ? "" : lpText;
    const char* caption = lpCaption == nullptr ? "" : lpCaption;
    page_alert(text, static_cast<std::int32_t>(std::strlen(text)), caption,
               static_cast<std::int32_t>(std::strlen(caption)));
    return IDOK;
}
