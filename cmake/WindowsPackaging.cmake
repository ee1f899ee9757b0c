# What tools/scripts/package-windows.sh makes the installer and the portable .zip files from:
# the files cmake --install puts into the installation folder, the version, and the installer's
# pictures, written at build time beside the icon by the Linux build's ondeline-icons.
include(cmake/BlockVersion.cmake)

install(TARGETS ondeline RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(ONDELINE_PACKAGE_DIR ${PROJECT_BINARY_DIR}/package)
file(WRITE ${ONDELINE_PACKAGE_DIR}/version.txt "${ONDELINE_BLOCK_VERSION}\n")
set(installer_pictures ${ONDELINE_PACKAGE_DIR}/header.bmp ${ONDELINE_PACKAGE_DIR}/wizard.bmp)
add_custom_command(
  OUTPUT ${installer_pictures}
  COMMAND ${ONDELINE_ICON_WRITER} header ${ONDELINE_PACKAGE_DIR}/header.bmp
          wizard ${ONDELINE_PACKAGE_DIR}/wizard.bmp
  DEPENDS ${ONDELINE_ICON_WRITER}
  COMMENT "Drawing the installer's pictures"
  VERBATIM)
add_custom_target(installer_pictures ALL DEPENDS ${installer_pictures})

# The names package-windows.sh gives its files, for the tests.
set(ONDELINE_WINDOWS_INSTALLER ondeline-${ONDELINE_BLOCK_VERSION}-setup)
set(ONDELINE_WINDOWS_ZIP ondeline-${ONDELINE_BLOCK_VERSION}-win)
