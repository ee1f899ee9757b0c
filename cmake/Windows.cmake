# The Windows tree. Everything the program needs from outside Windows' own DLLs is linked in: the
# C and C++ run-time support and the threads library, so that the .exe files run from any folder
# with nothing installed beside them.
add_link_options(-static-libgcc -static-libstdc++ -static)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The 32-bit build computes in SSE2 as the 64-bit one does: the x87 unit's wider intermediates
  # could round a ring sum to another level, and the two pictures would differ. 32-bit Windows
  # promises only 4-byte stack alignment on entry, so functions that keep vectors on the stack
  # realign it themselves; the wider kernels, entered through a pointer, are among them.
  add_compile_options(-msse2 -mfpmath=sse -mstackrealign)
endif()

# Release builds carry the same compile-time hardening as on Linux; the stack protector's support
# comes from the static libssp. Windows loads programs at a random address and keeps data
# non-executable by default with this linker, 32-bit or 64-bit, so the ELF-only relro and now
# have no counterpart.
option(ONDELINE_HARDENING "Harden release builds" ON)
if(ONDELINE_HARDENING)
  set(ONDELINE_RELEASE_CONFIG "$<CONFIG:Release,RelWithDebInfo>")
  add_compile_options("$<${ONDELINE_RELEASE_CONFIG}:-fstack-protector-strong;-Wformat;-Werror=format-security>")
  add_compile_definitions("$<${ONDELINE_RELEASE_CONFIG}:_FORTIFY_SOURCE=2>")
  # MinGW's driver links the protector's support only when the link is told of it too.
  add_link_options("$<${ONDELINE_RELEASE_CONFIG}:-fstack-protector-strong>")
endif()

set(ONDELINE_INCLUDE_ROOT ${PROJECT_SOURCE_DIR})
# The long checks run in the Linux build; here CTest could not start an .exe without Wine.
set(ONDELINE_LONG_CHECKS OFF)

add_subdirectory(platform)
add_subdirectory(ripple)
add_subdirectory(surface)
add_subdirectory(res)
add_subdirectory(ui)
add_subdirectory(app)
include(cmake/WindowsResources.cmake)
# A window program, with the dialogs, strings, icon, version and manifest inside it.
set_target_properties(ondeline PROPERTIES WIN32_EXECUTABLE ON)
target_link_libraries(ondeline PRIVATE ondeline_resources)
include(cmake/WindowsPackaging.cmake)

if(ONDELINE_TESTS)
  enable_testing()
  add_subdirectory(tests/windows)
endif()
