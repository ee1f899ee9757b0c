# Cross-compiles for 32-bit Windows with Debian's MinGW-w64 compilers; the program runs unchanged
# on 64-bit Windows too. cmake/Windows.cmake sets what this target needs beyond the compiler.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ONDELINE_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
