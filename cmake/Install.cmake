# What cmake --install puts under the prefix, at the places a Linux desktop looks: the two
# programs, a menu entry, the icon in the hicolor theme, a software catalogue entry and the
# manual pages.
include(GNUInstallDirs)

# The desktop files everything under the name the program itself gives the compositor.
file(STRINGS ${PROJECT_SOURCE_DIR}/res/DesktopEntry.h ONDELINE_APP_ID_LINE
     REGEX "kDesktopEntryId\\[\\] = \"[^\"]+\";")
string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" ONDELINE_APP_ID "${ONDELINE_APP_ID_LINE}")
if(NOT ONDELINE_APP_ID MATCHES "^[A-Za-z][A-Za-z0-9_]*(\\.[A-Za-z][A-Za-z0-9_]*)+$")
  message(FATAL_ERROR "res/DesktopEntry.h names no reverse-DNS desktop entry id")
endif()

install(TARGETS ondeline ondeline-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(ONDELINE_DATA_DIR ${PROJECT_BINARY_DIR}/data)
configure_file(${PROJECT_SOURCE_DIR}/data/ondeline.desktop.in
               ${ONDELINE_DATA_DIR}/${ONDELINE_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/ondeline.metainfo.xml.in
               ${ONDELINE_DATA_DIR}/${ONDELINE_APP_ID}.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/ondeline.1.in ${ONDELINE_DATA_DIR}/ondeline.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/ondeline-render.1.in
               ${ONDELINE_DATA_DIR}/ondeline-render.1 @ONLY)

install(FILES ${ONDELINE_DATA_DIR}/${ONDELINE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ONDELINE_DATA_DIR}/${ONDELINE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${ONDELINE_DATA_DIR}/ondeline.1 ${ONDELINE_DATA_DIR}/ondeline-render.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# 16 and 32 are the icon resource's own images; the larger sizes are drawn from its motif, so
# that menus and software centres never have to enlarge a small picture.
set(ONDELINE_ICON_SIZES 16 32 48 64 128 256)
set(ONDELINE_ICON_DIR ${PROJECT_BINARY_DIR}/icons)
set(ONDELINE_ICON_ARGS)
set(ONDELINE_ICON_FILES)
foreach(size IN LISTS ONDELINE_ICON_SIZES)
  list(APPEND ONDELINE_ICON_ARGS ${size} ${ONDELINE_ICON_DIR}/${size}.png)
  list(APPEND ONDELINE_ICON_FILES ${ONDELINE_ICON_DIR}/${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${ONDELINE_ICON_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ONDELINE_ICON_DIR}
  COMMAND ondeline-icons ${ONDELINE_ICON_ARGS}
  DEPENDS ondeline-icons
  COMMENT "Drawing the icon for the hicolor theme"
  VERBATIM)
add_custom_target(ondeline_theme_icons ALL DEPENDS ${ONDELINE_ICON_FILES})
foreach(size IN LISTS ONDELINE_ICON_SIZES)
  install(FILES ${ONDELINE_ICON_DIR}/${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${ONDELINE_APP_ID}.png)
endforeach()
