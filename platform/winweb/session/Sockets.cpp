#include <winsock2.h>

#include <cstring>

// A browser has the network the page came from, so the sockets' start succeeds as on a system
// whose socket layer works; the program makes no connection of its own.

namespace {

constexpr WORD kHighestVersion = MAKEWORD(2, 2); // the highest version Windows Sockets offer
constexpr unsigned short kMaxSockets = 0;        // no limit is told, as from version 2 on

} // namespace

int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
    if (lpWSAData != nullptr) {
        *lpWSAData = WSADATA{};
        lpWSAData->wVersion = wVersionRequested;
        lpWSAData->wHighVersion = kHighestVersion;
        lpWSAData->iMaxSockets = kMaxSockets;
        std::strncpy(lpWSAData->szDescription, "Sockets of the browser",
                     sizeof lpWSAData->szDescription - 1);
        std::strncpy(lpWSAData->szSystemStatus, "Running", sizeof lpWSAData->szSystemStatus - 1);
    }
    return 0;
}

int WSACleanup() {
    return 0;
}
