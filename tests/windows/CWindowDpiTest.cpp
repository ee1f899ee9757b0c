// A window's DPI on every Windows the program starts on: the per-window function where the system
// has it, the per-monitor one where only that exists, and the system's setting where neither does,
// each found through a resolver that stands in for the system's loader.

#include "platform/afx/CWindowDpi.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr UINT kWindowDpi = 144;
constexpr UINT kMonitorDpi = 120;

UINT WINAPI DpiForWindow(HWND) {
    return kWindowDpi;
}

HRESULT WINAPI DpiForMonitor(HMONITOR, int, UINT* dpiX, UINT* dpiY) {
    *dpiX = *dpiY = kMonitorDpi;
    return S_OK;
}

HRESULT WINAPI FailingDpiForMonitor(HMONITOR, int, UINT*, UINT*) {
    return E_FAIL;
}

template <typename Function> FARPROC Proc(Function function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

bool Names(LPCSTR name, const char* wanted) {
    return std::strcmp(name, wanted) == 0;
}

// Windows 10 from 1607 on.
FARPROC FindBoth(LPCSTR, LPCSTR name) {
    return Names(name, "GetDpiForWindow")    ? Proc(DpiForWindow)
           : Names(name, "GetDpiForMonitor") ? Proc(DpiForMonitor)
                                             : nullptr;
}
// Windows 8.1 and the first Windows 10s.
FARPROC FindMonitorOnly(LPCSTR, LPCSTR name) {
    return Names(name, "GetDpiForMonitor") ? Proc(DpiForMonitor) : nullptr;
}
FARPROC FindFailingMonitor(LPCSTR, LPCSTR name) {
    return Names(name, "GetDpiForMonitor") ? Proc(FailingDpiForMonitor) : nullptr;
}
// Windows 7.
FARPROC FindNothing(LPCSTR, LPCSTR) {
    return nullptr;
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

} // namespace

TEST(CWindowDpi, TakesTheNewestFunctionTheSystemHasAndTheSystemDpiWithoutOne) {
    const struct {
        const char* system;
        CWindowDpi::Resolver resolve;
        UINT expected;
    } cases[] = {
        {"Windows 10 1607 on", FindBoth, kWindowDpi},
        {"Windows 8.1", FindMonitorOnly, kMonitorDpi},
        {"a monitor that does not answer", FindFailingMonitor, SystemDpi()},
        {"Windows 7", FindNothing, SystemDpi()},
    };
    ASSERT_GT(SystemDpi(), 0U);
    for (const auto& c : cases) {
        EXPECT_EQ(CWindowDpi(c.resolve).Of(GetDesktopWindow()), c.expected) << c.system;
    }
}

TEST(CWindowDpi, FindsOnlyTheSystemsOwnFunctions) {
    EXPECT_NE(CWindowDpi::FromSystem("user32.dll", "GetDpiForWindow"), nullptr);
    EXPECT_NE(CWindowDpi::FromSystem("shcore.dll", "GetDpiForMonitor"), nullptr);
    EXPECT_EQ(CWindowDpi::FromSystem("user32.dll", "GetDpiForNothing"), nullptr);
    EXPECT_EQ(CWindowDpi::FromSystem("ondeline-missing.dll", "GetDpiForWindow"), nullptr);
}
