# The browser's tree: the program compiled to WebAssembly (cmake/Wasm32WasiToolchain.cmake), over
# the Windows API of the page (platform/winweb/), and the folder of static files that serves it:
# site/index.html, site/ondeline.js and site/ondeline.wasm (and ondeline-wasm.js for a page opened
# from disk).
set(ONDELINE_INCLUDE_ROOT ${PROJECT_SOURCE_DIR})
find_program(ONDELINE_WASM_OPT wasm-opt REQUIRED)

# The program is small and never waits on the processor in a way size would help; the smallest
# code loads fastest.
add_compile_options(-Os)

add_subdirectory(platform)
add_subdirectory(ripple)
add_subdirectory(surface)
add_subdirectory(res)
add_subdirectory(ui)
add_subdirectory(app)

# The program in the page: the application object and its dialogs over the page's layer. The
# desktop's ondeline, whose main() answers a terminal's questions, is not built here.
set_target_properties(ondeline PROPERTIES EXCLUDE_FROM_ALL ON)
add_executable(ondeline-page ${PROJECT_SOURCE_DIR}/app/PageMain.cpp)
target_link_libraries(ondeline-page PRIVATE ondeline_app ondeline_afx ondeline_warnings)
target_link_options(ondeline-page PRIVATE -Wl,--strip-all)

# A modal dialog waits for the page inside page_wait_event; asyncify lets that call unwind the
# program's stack back to the page and wind it up again when the page has an event for it.
set(ONDELINE_SITE ${CMAKE_BINARY_DIR}/site)
set(ONDELINE_PAGE ${PROJECT_SOURCE_DIR}/platform/winweb/page)
add_custom_command(
  OUTPUT ${ONDELINE_SITE}/ondeline.wasm
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ONDELINE_SITE}
  COMMAND ${ONDELINE_WASM_OPT} $<TARGET_FILE:ondeline-page> -Oz --asyncify
          --pass-arg=asyncify-imports@page.wait_event -o ${ONDELINE_SITE}/ondeline.wasm
  DEPENDS ondeline-page
  COMMENT "Letting the program wait for the page (asyncify)"
  VERBATIM)
# The same program as a script, for a page opened from disk, where the browser will not fetch.
add_custom_command(
  OUTPUT ${ONDELINE_SITE}/ondeline-wasm.js
  COMMAND sh -c "{ printf 'window.ondelineWasm = \"'; base64 -w 0 ondeline.wasm; printf '\";'; } > ondeline-wasm.js"
  WORKING_DIRECTORY ${ONDELINE_SITE}
  DEPENDS ${ONDELINE_SITE}/ondeline.wasm
  VERBATIM)
add_custom_command(
  OUTPUT ${ONDELINE_SITE}/index.html ${ONDELINE_SITE}/ondeline.js
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ONDELINE_SITE}
  COMMAND ${CMAKE_COMMAND} -E copy ${ONDELINE_PAGE}/index.html ${ONDELINE_PAGE}/ondeline.js
          ${ONDELINE_SITE}
  DEPENDS ${ONDELINE_PAGE}/index.html ${ONDELINE_PAGE}/ondeline.js
  VERBATIM)
add_custom_target(site ALL DEPENDS ${ONDELINE_SITE}/ondeline.wasm ${ONDELINE_SITE}/ondeline-wasm.js
                                   ${ONDELINE_SITE}/index.html ${ONDELINE_SITE}/ondeline.js)
