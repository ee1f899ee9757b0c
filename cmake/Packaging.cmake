# The Debian package: `cpack -G DEB` in the build folder makes ondeline_VERSION_ARCH.deb from
# what cmake --install puts under /usr, with its dependencies worked out from the programs'
# shared libraries by dpkg-shlibdeps.

# The package carries the version of the program's version block, which the About box and a
# file-properties view show; the build refuses to go on when the project's version says
# otherwise, rather than ship a package whose number matches neither.
file(STRINGS ${PROJECT_SOURCE_DIR}/res/VersionInfo.cpp ONDELINE_VERSION_LINE
     REGEX "\\.fileVersion = \\{[0-9]+, [0-9]+, [0-9]+, [0-9]+\\}")
if(NOT ONDELINE_VERSION_LINE MATCHES "\\{([0-9]+), ([0-9]+), ([0-9]+), ([0-9]+)\\}")
  message(FATAL_ERROR "res/VersionInfo.cpp has no file version to number the package with")
endif()
set(ONDELINE_BLOCK_VERSION
    "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}.${CMAKE_MATCH_4}")
if(NOT ONDELINE_BLOCK_VERSION STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "The version block says ${ONDELINE_BLOCK_VERSION} but project() says "
                      "${PROJECT_VERSION}; make them agree")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ondeline)
set(CPACK_PACKAGE_VERSION ${ONDELINE_BLOCK_VERSION})
set(CPACK_PACKAGE_VENDOR "Ondeline developers")
set(CPACK_PACKAGE_CONTACT "${ONDELINE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "patch of water that ripples where you click")
# Debian shows the long description as it stands, so its lines are kept short here; CPack
# writes the empty line between the paragraphs as Debian's " .".
set(CPACK_PACKAGE_DESCRIPTION
    "Ondeline is a small desktop toy: a square patch of water in a window of
its own. Click on the water and a stone drops there; rings spread from the
point, weaken with distance and age, and fade after fifteen seconds. Rain,
Drift, Add Color, Spectrum and Stretch change the picture, and the water can
be 25 x 25 to 200 x 200 cells.

The package also holds ondeline-render, which draws the same water without a
window, from a small scene script, to PNG images, an animated GIF or an exact
text dump.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# An amusement rather than a game, and ondeline-render is a command for shells and scripts, so
# the package is filed under misc with both programs in /usr/bin, on everyone's PATH; the games
# section would want them in /usr/games, which root's PATH leaves out.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries say nothing of Qt's platform plugins, without which no window opens: X11's is
# in qt6-qpa-plugins, which Qt itself only recommends; Wayland's comes with qt6-wayland. Nor
# of the hicolor theme's index, without which menus do not look in its folders for the icon.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
