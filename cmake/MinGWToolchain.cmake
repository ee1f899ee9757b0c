# What both Windows toolchains share: Debian's MinGW-w64 compilers for ONDELINE_MINGW_TRIPLE, set
# by the toolchain file that includes this. The posix thread model is the one whose C++ library
# has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ONDELINE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ONDELINE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ONDELINE_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${ONDELINE_MINGW_TRIPLE}-objdump)

# Headers and libraries come from the MinGW tree only; programs (the host's tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ONDELINE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
