# The Debian package: `cpack -G DEB` in the build folder makes ondeline_VERSION_ARCH.deb from
# what cmake --install puts under /usr, with its dependencies worked out from the programs'
# shared libraries by dpkg-shlibdeps.

include(${CMAKE_CURRENT_LIST_DIR}/BlockVersion.cmake)

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
