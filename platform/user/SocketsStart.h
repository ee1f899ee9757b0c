#pragma once

#include <winsock2.h>

// Fills what WSAStartup reports when the socket layer works: the version asked for, the highest
// one there is, and the system's description of its sockets. Null data is left alone.
void DescribeSockets(WORD wVersionRequested, LPWSADATA lpWSAData, const char* description);
