# The program's resources for Windows: a resource script, its manifest and the icon file, all
# written at build time from res/'s tables by two programs of the Linux build (ondeline-rc and
# ondeline-icons), then compiled by windres. ondeline_resources holds the compiled resources for
# the program to link.
enable_language(RC)

set(ONDELINE_HOST_BUILD "" CACHE PATH
    "A Linux build of this tree, with tools/rc/ondeline-rc and tools/icons/ondeline-icons built")
set(ONDELINE_RC_WRITER ${ONDELINE_HOST_BUILD}/tools/rc/ondeline-rc)
set(ONDELINE_ICON_WRITER ${ONDELINE_HOST_BUILD}/tools/icons/ondeline-icons)
if(NOT EXISTS ${ONDELINE_RC_WRITER} OR NOT EXISTS ${ONDELINE_ICON_WRITER})
  message(FATAL_ERROR "The Windows build writes its resources with ondeline-rc and ondeline-icons "
                      "from a Linux build; give that build's folder as ONDELINE_HOST_BUILD "
                      "(tools/scripts/build-windows.sh does)")
endif()

# The manifest names the processor the program is built for; Windows refuses to start a program
# whose manifest names another.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(manifest_architecture x86)
else()
  set(manifest_architecture amd64)
endif()
set(resource_dir ${PROJECT_BINARY_DIR}/resources)
set(resource_script ${resource_dir}/ondeline.rc)
set(resource_files ${resource_dir}/ondeline.manifest ${resource_dir}/ondeline.ico)
add_custom_command(
  OUTPUT ${resource_script} ${resource_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${resource_dir}
  COMMAND ${ONDELINE_RC_WRITER} ${resource_dir} ${manifest_architecture}
  COMMAND ${ONDELINE_ICON_WRITER} ico ${resource_dir}/ondeline.ico
  DEPENDS ${ONDELINE_RC_WRITER} ${ONDELINE_ICON_WRITER}
  COMMENT "Writing the resource script and the icon from res/"
  VERBATIM)
set_source_files_properties(${resource_script} PROPERTIES OBJECT_DEPENDS "${resource_files}")

add_library(ondeline_resources OBJECT ${resource_script})
target_include_directories(ondeline_resources PRIVATE ${resource_dir})
