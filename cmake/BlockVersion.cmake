# The packages carry the version of the program's version block, which the About box and a
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
