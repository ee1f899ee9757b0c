#pragma once

#include <windows.h>

// The dots per inch a window is laid out at, on every Windows the program starts on. Windows 10
// from version 1607 tells it for each window (GetDpiForWindow in USER32); Windows 8.1 only for
// each monitor (GetDpiForMonitor in SHCORE); Windows 7 has neither, and lays every window out at
// the system's setting. A program that imported either function would not start where it is
// missing, so both are looked up once, at run time, and the first found answers.
class CWindowDpi {
public:
    // Finds a function by its DLL's and its own name, as GetProcAddress does: null when the
    // system has neither.
    using Resolver = FARPROC (*)(LPCSTR lpszModule, LPCSTR lpszName);

    explicit CWindowDpi(Resolver resolve = FromSystem);

    UINT Of(HWND hWnd) const;

    // The system's own functions, from its folder only.
    static FARPROC FromSystem(LPCSTR lpszModule, LPCSTR lpszName);

private:
    using PerWindowFn = UINT(WINAPI*)(HWND);
    using PerMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

    PerWindowFn m_pfnPerWindow = nullptr;
    PerMonitorFn m_pfnPerMonitor = nullptr;
};
