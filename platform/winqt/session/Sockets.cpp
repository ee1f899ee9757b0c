#include "platform/winqt/session/Sockets.h"

#include "platform/user/SocketsStart.h"

#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace {

constexpr int kNetworkDown = 10050; // WSAENETDOWN: the socket layer does not work

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
    DescribeSockets(wVersionRequested, lpWSAData, "Sockets of the host system");
    return 0;
}

void SetSocketProbe(std::function<bool()> probe) {
    g_socketProbe = std::move(probe);
}
