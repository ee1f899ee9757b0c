#include "tests/platform/SessionHooks.h"

#include <windows.h>
#include <winsock2.h>

#include <utility>

// Wrapped by the linker as the graphics hooks are (tests/platform/GdiHooks.cpp says how).
decltype(GetTickCount) RealGetTickCount __asm__("__real__Z12GetTickCountv");
decltype(GetTickCount) HookGetTickCount __asm__("__wrap__Z12GetTickCountv");
decltype(WSAStartup) RealWSAStartup __asm__("__real__Z10WSAStartuptP7WSAData");
decltype(WSAStartup) HookWSAStartup __asm__("__wrap__Z10WSAStartuptP7WSAData");

namespace {

std::function<std::uint32_t()> g_tickSource;
std::function<bool()> g_socketProbe;

} // namespace

DWORD HookGetTickCount() {
    return g_tickSource ? g_tickSource() : RealGetTickCount();
}

int HookWSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
    if (g_socketProbe && !g_socketProbe()) {
        return WSAENETDOWN;
    }
    return RealWSAStartup(wVersionRequested, lpWSAData);
}

void SetTickSource(std::function<std::uint32_t()> source) {
    g_tickSource = std::move(source);
}

void SetSocketProbe(std::function<bool()> probe) {
    g_socketProbe = std::move(probe);
}
