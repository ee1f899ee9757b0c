#include "tests/platform/GdiHooks.h"

#include "platform/gdi/GdiHandles.h"

#include <algorithm>

// The linker's --wrap=SYMBOL sends every call of SYMBOL made from another file to __wrap_SYMBOL,
// and __real_SYMBOL reaches the function itself. The symbols are the functions' C++ names; the
// build wraps each one this file names after __wrap_, so a name that no longer matches its
// function fails the link instead of leaving a hook unused.
decltype(CreateDIBSection)
    RealCreateDIBSection __asm__("__real__Z16CreateDIBSectionP5GdiDCPK10BITMAPINFOjPPvS4_j");
decltype(CreateDIBSection)
    HookCreateDIBSection __asm__("__wrap__Z16CreateDIBSectionP5GdiDCPK10BITMAPINFOjPPvS4_j");
decltype(CreateCompatibleDC) RealCreateCompatibleDC __asm__("__real__Z18CreateCompatibleDCP5GdiDC");
decltype(CreateCompatibleDC) HookCreateCompatibleDC __asm__("__wrap__Z18CreateCompatibleDCP5GdiDC");
decltype(CreateDeviceDC) RealCreateDeviceDC __asm__("__real__Z14CreateDeviceDCP10IGdiDevice");
decltype(CreateDeviceDC) HookCreateDeviceDC __asm__("__wrap__Z14CreateDeviceDCP10IGdiDevice");
decltype(DeleteDC) RealDeleteDC __asm__("__real__Z8DeleteDCP5GdiDC");
decltype(DeleteDC) HookDeleteDC __asm__("__wrap__Z8DeleteDCP5GdiDC");
decltype(DeleteObject) RealDeleteObject __asm__("__real__Z12DeleteObjectP9GdiObject");
decltype(DeleteObject) HookDeleteObject __asm__("__wrap__Z12DeleteObjectP9GdiObject");
decltype(ReleaseDeviceDC) RealReleaseDeviceDC __asm__("__real__Z15ReleaseDeviceDCP5GdiDC");
decltype(ReleaseDeviceDC) HookReleaseDeviceDC __asm__("__wrap__Z15ReleaseDeviceDCP5GdiDC");

namespace {

int g_nFailDibSections = 0;
int g_nFailMemoryDCs = 0;
int g_nLiveHandles = 0;

bool TakeFault(int& remaining) {
    if (remaining <= 0) {
        return false;
    }
    --remaining;
    return true;
}

// Counts a handle that a call made.
template <class Handle> Handle Made(Handle handle) {
    if (handle != nullptr) {
        ++g_nLiveHandles;
    }
    return handle;
}

// Counts a handle that a call gave back.
template <class Result> Result Ended(Result result) {
    if (result) {
        --g_nLiveHandles;
    }
    return result;
}

} // namespace

HBITMAP HookCreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                             void* hSection, DWORD offset) {
    if (TakeFault(g_nFailDibSections)) {
        if (ppvBits != nullptr) {
            *ppvBits = nullptr;
        }
        return nullptr;
    }
    return Made(RealCreateDIBSection(hdc, pbmi, usage, ppvBits, hSection, offset));
}

HDC HookCreateCompatibleDC(HDC hdc) {
    return TakeFault(g_nFailMemoryDCs) ? nullptr : Made(RealCreateCompatibleDC(hdc));
}

HDC HookCreateDeviceDC(IGdiDevice* device) {
    return Made(RealCreateDeviceDC(device));
}

BOOL HookDeleteDC(HDC hdc) {
    return Ended(RealDeleteDC(hdc));
}

BOOL HookDeleteObject(HGDIOBJ obj) {
    return Ended(RealDeleteObject(obj));
}

IGdiDevice* HookReleaseDeviceDC(HDC hdc) {
    return Ended(RealReleaseDeviceDC(hdc));
}

void FailNextDibSections(int count) {
    g_nFailDibSections = std::max(count, 0);
}

void FailNextMemoryDCs(int count) {
    g_nFailMemoryDCs = std::max(count, 0);
}

int LiveGdiHandleCount() {
    return g_nLiveHandles;
}
