# The Windows installer and a portable .zip beside it: `cpack` in the Windows build folder makes
# ondeline-VERSION-win64.exe (NSIS) and ondeline-VERSION-win64.zip from what cmake --install puts
# into the installation folder. The installer puts it under Program Files\Ondeline, adds a
# Start-menu folder and an entry in Apps & features (the Uninstall registry key), and its
# uninstaller takes all of that away again.
include(cmake/BlockVersion.cmake)

install(TARGETS ondeline RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME ondeline)
set(CPACK_PACKAGE_VERSION ${ONDELINE_BLOCK_VERSION})
# The name both files carry; CPack's own variable does not keep it past include(CPack).
set(ONDELINE_WINDOWS_PACKAGE ondeline-${ONDELINE_BLOCK_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${ONDELINE_WINDOWS_PACKAGE})
set(CPACK_PACKAGE_VENDOR "Ondeline developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A patch of water that ripples where you click")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Ondeline)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Ondeline)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_NSIS_PACKAGE_NAME Ondeline)
set(CPACK_NSIS_DISPLAY_NAME Ondeline)
# A 64-bit installer for a 64-bit program: it sees the 64-bit Program Files and registry, and
# runs where no 32-bit subsystem is installed (64-bit Wine alone, Windows on ARM without it).
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MUI_ICON ${PROJECT_BINARY_DIR}/resources/ondeline.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_BINARY_DIR}/resources/ondeline.ico)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
# The Start-menu shortcut, and the icon Apps & features shows: the program's own.
set(CPACK_PACKAGE_EXECUTABLES ondeline Ondeline)
set(CPACK_NSIS_INSTALLED_ICON_NAME ondeline.exe)
# The uninstaller removes the key it keeps below the vendor's, which would leave the vendor's key
# behind, empty; its own commands come first, so they remove both (by then it has read what it
# needs from them).
set(vendor_key "SHCTX \\\"Software\\\\${CPACK_PACKAGE_VENDOR}")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
    "DeleteRegKey ${vendor_key}\\\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}\\\"
  DeleteRegKey /ifempty ${vendor_key}\\\"")

include(CPack)
