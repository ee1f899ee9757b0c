#include <winsock2.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>

namespace {

constexpr WORD kHighestVersion = MAKEWORD(2, 2); // the highest version Windows Sockets offer
constexpr unsigned short kMaxSockets = 0;        // no limit is told, as from version 2 on

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
    if (!ProbeSockets()) {
        return WSAENETDOWN;
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
