#include "platform/winqt/session/Sockets.h"

#include <winsock2.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <utility>

namespace {

constexpr int kNetworkDown = 10050;              // WSAENETDOWN: the socket layer does not work
constexpr WORD kHighestVersion = MAKEWORD(2, 2); // the highest version Windows Sockets offer
constexpr unsigned short kMaxSockets = 0;        // no limit is told, as from version 2 on

std::function<bool()> g_socketProbe;

// Making a socket and closing it again shows that the socket layer works.
bool ProbeSockets() {
    for (const int family : {AF_INET, AF_INET6}) {
        const int fd = ::socket(family, SOCK_STREAM, 0);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
    }
    return false;
}

} // namespace

int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
    const bool working = g_socketProbe ? g_socketProbe() : ProbeSockets();
    if (!working) {
        return kNetworkDown;
    }
    if (lpWSAData != nullptr) {
        *lpWSAData = WSADATA{};
        lpWSAData->wVersion = wVersionRequested;
        lpWSAData->wHighVersion = kHighestVersion;
        lpWSAData->iMaxSockets = kMaxSockets;
        std::strncpy(lpWSAData->szDescription, "Sockets of the host system",
                     sizeof lpWSAData->szDescription - 1);
        std::strncpy(lpWSAData->szSystemStatus, "Running", sizeof lpWSAData->szSystemStatus - 1);
    }
    return 0;
}

void SetSocketProbe(std::function<bool()> probe) {
    g_socketProbe = std::move(probe);
}
