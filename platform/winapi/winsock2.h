#pragma once

// Windows Sockets' start, which is all of them the program uses.

#include "windef.h"

inline constexpr int WSADESCRIPTION_LEN = 256;
inline constexpr int WSASYS_STATUS_LEN = 128;
inline constexpr int WSAENETDOWN = 10050; // the socket layer does not work

struct WSAData {
    WORD wVersion;
    WORD wHighVersion;
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
};
using WSADATA = WSAData;
using LPWSADATA = WSAData*;

int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData);
