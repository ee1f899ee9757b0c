#pragma once

// Windows Sockets' start, for the builds where Qt stands in for the system.

#include <functional>

// Tests replace the check that sockets work (a function giving false makes WSAStartup fail); an
// empty function restores the real one.
void SetSocketProbe(std::function<bool()> probe);
