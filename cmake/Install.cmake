# What cmake --install puts under the prefix, at the places a Linux desktop looks: the two
# programs, a menu entry, the icon in the hicolor theme, a software catalogue entry, the manual
# pages, and the licence with the changelog in the form Debian keeps them.
include(GNUInstallDirs)

# The desktop files everything under the name the program itself gives the compositor.
file(STRINGS ${PROJECT_SOURCE_DIR}/res/DesktopEntry.h ONDELINE_APP_ID_LINE
     REGEX "kDesktopEntryId\\[\\] = \"[^\"]+\";")
string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" ONDELINE_APP_ID "${ONDELINE_APP_ID_LINE}")
if(NOT ONDELINE_APP_ID MATCHES "^[A-Za-z][A-Za-z0-9_]*(\\.[A-Za-z][A-Za-z0-9_]*)+$")
  message(FATAL_ERROR "res/DesktopEntry.h names no reverse-DNS desktop entry id")
endif()

# Position-independent programs load at a random address, as Debian's hardening asks.
set_target_properties(ondeline ondeline-render PROPERTIES POSITION_INDEPENDENT_CODE ON)
install(TARGETS ondeline ondeline-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The compilers' version notes in .comment serve nobody who runs the programs; Debian's own
# packaging strips them too.
if(CMAKE_OBJCOPY)
  install(CODE "
    foreach(program ondeline ondeline-render)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()")
endif()

set(ONDELINE_DATA_DIR ${PROJECT_BINARY_DIR}/data)
configure_file(${PROJECT_SOURCE_DIR}/data/ondeline.desktop.in
               ${ONDELINE_DATA_DIR}/${ONDELINE_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/ondeline.metainfo.xml.in
               ${ONDELINE_DATA_DIR}/${ONDELINE_APP_ID}.metainfo.xml @ONLY)

install(FILES ${ONDELINE_DATA_DIR}/${ONDELINE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ONDELINE_DATA_DIR}/${ONDELINE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the changelog go compressed, as Debian's policy and man itself expect; -n
# leaves the name and time out of the gzip header, so that the same sources give the same bytes.
find_program(ONDELINE_GZIP gzip REQUIRED)
set(ONDELINE_GZIPPED)
function(ondeline_gzip source output)
  add_custom_command(
    OUTPUT ${output}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ONDELINE_DATA_DIR}/man ${ONDELINE_DATA_DIR}/doc
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
    COMMAND ${ONDELINE_GZIP} -9nf ${output}
    DEPENDS ${source}
    VERBATIM)
  set(ONDELINE_GZIPPED ${ONDELINE_GZIPPED} ${output}.gz PARENT_SCOPE)
endfunction()

set(ONDELINE_MAN_PAGES ondeline ondeline-render)
foreach(page IN LISTS ONDELINE_MAN_PAGES)
  configure_file(${PROJECT_SOURCE_DIR}/data/${page}.1.in ${ONDELINE_DATA_DIR}/${page}.1 @ONLY)
  ondeline_gzip(${ONDELINE_DATA_DIR}/${page}.1 ${ONDELINE_DATA_DIR}/man/${page}.1)
  install(FILES ${ONDELINE_DATA_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The package is native, made from these sources by their own developers, so its changelog is
# changelog.gz, and its newest entry must name the version being built.
file(STRINGS ${PROJECT_SOURCE_DIR}/data/changelog ONDELINE_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT ONDELINE_CHANGELOG_TOP MATCHES "^ondeline \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "data/changelog begins \"${ONDELINE_CHANGELOG_TOP}\"; its newest entry "
                      "must be for version ${PROJECT_VERSION}")
endif()
ondeline_gzip(${PROJECT_SOURCE_DIR}/data/changelog ${ONDELINE_DATA_DIR}/doc/changelog)

# Debian's machine-readable copyright file, with the licence text taken from LICENSE itself:
# each line indented by one space, an empty line written as " .".
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE ONDELINE_LICENSE_LINES)
list(FILTER ONDELINE_LICENSE_LINES EXCLUDE REGEX "^(MIT License|Copyright .*)$")
set(ONDELINE_LICENSE_TEXT)
foreach(line IN LISTS ONDELINE_LICENSE_LINES)
  if(line STREQUAL "")
    string(APPEND ONDELINE_LICENSE_TEXT " .\n")
  else()
    string(APPEND ONDELINE_LICENSE_TEXT " ${line}\n")
  endif()
endforeach()
string(REGEX REPLACE "^( \\.\n)+" "" ONDELINE_LICENSE_TEXT "${ONDELINE_LICENSE_TEXT}")
string(REGEX REPLACE "\n$" "" ONDELINE_LICENSE_TEXT "${ONDELINE_LICENSE_TEXT}")
configure_file(${PROJECT_SOURCE_DIR}/data/copyright.in ${ONDELINE_DATA_DIR}/doc/copyright @ONLY)

add_custom_target(ondeline_gzipped_data ALL DEPENDS ${ONDELINE_GZIPPED})
set(ONDELINE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/ondeline)
install(FILES ${ONDELINE_DATA_DIR}/doc/copyright ${ONDELINE_DATA_DIR}/doc/changelog.gz
        DESTINATION ${ONDELINE_DOC_DIR})

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
# The scalable icon is the same motif's shapes written out as SVG.
set(ONDELINE_SCALABLE_ICON ${ONDELINE_ICON_DIR}/scalable.svg)
add_custom_command(
  OUTPUT ${ONDELINE_ICON_FILES} ${ONDELINE_SCALABLE_ICON}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ONDELINE_ICON_DIR}
  COMMAND ondeline-icons ${ONDELINE_ICON_ARGS} svg ${ONDELINE_SCALABLE_ICON}
  DEPENDS ondeline-icons
  COMMENT "Drawing the icon for the hicolor theme"
  VERBATIM)
add_custom_target(ondeline_theme_icons ALL DEPENDS ${ONDELINE_ICON_FILES} ${ONDELINE_SCALABLE_ICON})
foreach(size IN LISTS ONDELINE_ICON_SIZES)
  install(FILES ${ONDELINE_ICON_DIR}/${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${ONDELINE_APP_ID}.png)
endforeach()
install(FILES ${ONDELINE_SCALABLE_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${ONDELINE_APP_ID}.svg)
