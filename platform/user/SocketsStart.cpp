#include "platform/user/SocketsStart.h"

#include <cstring>

namespace {

constexpr WORD kHighestVersion = MAKEWORD(2, 2); // the highest version Windows Sockets offer
constexpr unsigned short kMaxSockets = 0;        // no limit is told, as from version 2 on

} // namespace

void DescribeSockets(WORD wVersionRequested, LPWSADATA lpWSAData, const char* description) {
    if (lpWSAData == nullptr) {
        return;
    }
    *lpWSAData = WSADATA{};
    lpWSAData->wVersion = wVersionRequested;
    lpWSAData->wHighVersion = kHighestVersion;
    lpWSAData->iMaxSockets = kMaxSockets;
    std::strncpy(lpWSAData->szDescription, description, sizeof lpWSAData->szDescription - 1);
    std::strncpy(lpWSAData->szSystemStatus, "Running", sizeof lpWSAData->szSystemStatus - 1);
}
