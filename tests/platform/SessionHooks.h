#pragma once

// Stand-ins for the clock and the socket layer, for the tests. As with the graphics hooks, the
// linker wraps the program's calls of GetTickCount and WSAStartup in a test program linked with
// this library (tests/CMakeLists.txt); the shipped program carries none of it.

#include <cstdint>
#include <functional>

// Replaces the clock behind GetTickCount, to make frames exact; an empty function restores it.
void SetTickSource(std::function<std::uint32_t()> source);

// Replaces the check that sockets work (a function giving false makes WSAStartup fail as the
// network being down does); an empty function restores the real one.
void SetSocketProbe(std::function<bool()> probe);
