#include "platform/user/SocketsStart.h"

#include <sys/socket.h>
#include <unistd.h>

#include <initializer_list>

namespace {

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
    DescribeSockets(wVersionRequested, lpWSAData, "Sockets of the host system");
    return 0;
}
