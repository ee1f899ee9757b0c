#include "platform/user/SocketsStart.h"

#include <sys/socket.h>
#include <unistd.h>

#include <initializer_list>

int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
    // Making a socket and closing it again shows that the socket layer works.
    for (const int family : {AF_INET, AF_INET6}) {
        const int fd = ::socket(family, SOCK_STREAM, 0);
        if (fd >= 0) {
            ::close(fd);
            DescribeSockets(wVersionRequested, lpWSAData, "Sockets of the host system");
            return 0;
        }
    }
    return WSAENETDOWN;
}
