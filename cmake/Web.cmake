# The WebAssembly build for web browsers (preset "web", scripts/build-web),
# included by the top level in place of the Linux packages. Browsers need
# neither SDL2 nor FreeType nor libpng: the display and the sound have back
# ends of their own (display_web.*, wave_out_web.*).
#
# The page is assembled in VF_WEB_SITE (build/web): index.html (with the
# version filled in), the show's veldraflimmer.js and .wasm, its pictures
# packed in veldraflimmer.data, and the audio worklet. The pictures and the embedded song come from a host build
# (cmake/HostBuild.cmake).
#
# Everything is compiled for WebAssembly's 128-bit vectors. Test programs run
# under Node.js (CTest's emulator); the browser test drives the page in
# Chromium (tests/web).

set(VF_WEB_SITE "${CMAKE_SOURCE_DIR}/build/web" CACHE PATH "Folder the web page is assembled in")
include(${CMAKE_CURRENT_LIST_DIR}/HostBuild.cmake)

add_compile_options(-msimd128 "SHELL:-include ${CMAKE_SOURCE_DIR}/cmake/web_compat.h")
add_link_options(-sALLOW_MEMORY_GROWTH=1)

# Emscripten's code for Node.js fetches the .wasm file with fetch() where it
# exists (Node.js 18 and later), which cannot read files; test programs
# therefore compile their module synchronously from the file (vf_add_test).
find_program(VF_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VF_NODE})

# Called by the top level after the libraries and the show are defined.
function(vf_web_targets)
  vf_host_pictures(pictures)
  set(preload "")
  foreach(picture ${pictures})
    get_filename_component(file ${picture} NAME)
    # The show reads its pictures from the working directory, "/" in the page.
    list(APPEND preload "SHELL:--preload-file ${picture}@/${file}")
  endforeach()
  set(libraries
    ${CMAKE_SOURCE_DIR}/src/display/display_web.js
    ${CMAKE_SOURCE_DIR}/src/player/output/wave_out_web.js)
  set_target_properties(veldraflimmer PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${VF_WEB_SITE}
    LINK_DEPENDS "${pictures};${libraries}")
  # No main: the page calls the entry points (main_web.cpp) after a click.
  target_link_options(veldraflimmer PRIVATE
    --no-entry -sENVIRONMENT=web ${preload})

  # The page with the project's version on its title card.
  configure_file(${CMAKE_SOURCE_DIR}/src/demo/index.html ${VF_WEB_SITE}/index.html @ONLY)
  set(worklet src/player/output/wave_out_worklet.js)
  add_custom_command(
    OUTPUT ${VF_WEB_SITE}/wave_out_worklet.js
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/${worklet} ${VF_WEB_SITE}/wave_out_worklet.js
    DEPENDS ${CMAKE_SOURCE_DIR}/${worklet}
    VERBATIM)
  add_custom_target(web_page ALL DEPENDS ${VF_WEB_SITE}/wave_out_worklet.js)

  # The mixing speed of each mixer kernel set under Node.js:
  # node build/web-build/bin/bench_web_mixer.js
  add_executable(bench_web_mixer ${CMAKE_SOURCE_DIR}/bench/web/mixer_speed.cpp)
  target_link_libraries(bench_web_mixer PRIVATE show)
  target_link_options(bench_web_mixer PRIVATE -sENVIRONMENT=node -sWASM_ASYNC_COMPILATION=0)
endfunction()

# GoogleTest built from Debian's source package for WebAssembly, the tests of
# the raster operations built on the row kernels (each compares every kernel
# set with the per-pixel rules on random surfaces) and of the mixer (its
# kernel sets compared word for word with the plain one) run under Node.js,
# and the browser test.
function(vf_web_tests)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  vf_googletest_from_source()
  include(GoogleTest)
  foreach(topic blit filters kernels)
    add_subdirectory(${CMAKE_SOURCE_DIR}/tests/raster/${topic}
                     ${CMAKE_BINARY_DIR}/tests/raster/${topic})
  endforeach()
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/player/mix ${CMAKE_BINARY_DIR}/tests/player/mix)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/web ${CMAKE_BINARY_DIR}/tests/web)
endfunction()
