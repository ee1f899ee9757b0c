#include "platform/afx/CWindowDpi.h"

namespace {

constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI: the scale the user chose for the monitor

// GetProcAddress's answer as the function it names. The detour through void (*)() is the cast
// between function types that the compiler takes as deliberate.
template <typename Function> Function As(FARPROC proc) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

UINT SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen == nullptr ? 0 : ::GetDeviceCaps(screen, LOGPIXELSX);
    if (screen != nullptr) {
        ::ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

} // namespace

CWindowDpi::CWindowDpi(Resolver resolve)
    : m_pfnPerWindow(As<PerWindowFn>(resolve("user32.dll", "GetDpiForWindow"))),
      m_pfnPerMonitor(As<PerMonitorFn>(resolve("shcore.dll", "GetDpiForMonitor"))) {}

UINT CWindowDpi::Of(HWND hWnd) const {
    if (m_pfnPerWindow != nullptr) {
        return m_pfnPerWindow(hWnd);
    }
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (m_pfnPerMonitor != nullptr &&
        SUCCEEDED(m_pfnPerMonitor(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST),
                                  kEffectiveDpi, &dpiX, &dpiY)) &&
        dpiX > 0) {
        return dpiX;
    }
    return SystemDpi();
}

FARPROC CWindowDpi::FromSystem(LPCSTR lpszModule, LPCSTR lpszName) {
    // USER32 is loaded already; SHCORE, where it exists, only from the system's folder, never
    // from beside the program.
    HMODULE module = ::GetModuleHandleA(lpszModule);
    if (module == nullptr) {
        module = ::LoadLibraryExA(lpszModule, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    return module == nullptr ? nullptr : ::GetProcAddress(module, lpszName);
}
