#include "platform/user/SocketsStart.h"

// A browser has the network the page came from, so the sockets' start succeeds as on a system
// whose socket layer works; the program makes no connection of its own.

int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
    DescribeSockets(wVersionRequested, lpWSAData, "Sockets of the browser");
    return 0;
}

int WSACleanup() {
    return 0;
}
