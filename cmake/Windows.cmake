# The Windows cross build (cmake/mingw-w64-x86_64.cmake), included by the top
# level in place of the Linux packages. Windows programs need neither SDL2 nor
# FreeType nor libpng: the display and the sound have back ends of their own.
#
# The pictures and the embedded song are made by tools that run on the build
# machine. They are taken from a host build of this project (VF_HOST_BUILD,
# e.g. build/release after `cmake --build --preset release --target pictures
# songdata`): its bin/*.raw pictures are copied beside the show and its
# generated/song_data.cpp is compiled into the Windows `songdata` library.
#
# GoogleTest is built from Debian's source package for the target; the tests
# run under Wine, so they are listed when CTest runs them (a Wine prefix takes
# a while to start the first time).

set(VF_HOST_BUILD "${CMAKE_SOURCE_DIR}/build/release"
    CACHE PATH "Host build of this project holding the generated song and pictures")
set(VF_HOST_SONG_DATA ${VF_HOST_BUILD}/generated/song_data.cpp)
set(VF_PICTURE_FILES
  tecken.raw greet.raw kludd.raw sidolinjer1.raw linje1.raw linje2.raw veldra.raw link.raw
  kollademos.raw link2.raw blabak.raw grabak1.raw grabak2.raw grabak3.raw)
if(NOT EXISTS ${VF_HOST_SONG_DATA})
  message(FATAL_ERROR "The Windows build takes the embedded song from a host build, and "
          "${VF_HOST_SONG_DATA} does not exist. Build it first:\n"
          "  cmake --preset release && cmake --build --preset release --target pictures songdata\n"
          "or point VF_HOST_BUILD at another host build directory.")
endif()

# The Windows C headers define M_PI and friends only when asked to (glibc's do
# by default).
add_compile_definitions(_USE_MATH_DEFINES)

# Also serves the ordinary build rules after an include of this file.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# Called by the top level after the libraries and the show are defined.
function(vf_windows_targets)
  add_library(songdata STATIC ${VF_HOST_SONG_DATA})
  target_include_directories(songdata PUBLIC ${CMAKE_SOURCE_DIR}/tools/embed)

  set(outputs "")
  foreach(file ${VF_PICTURE_FILES})
    list(APPEND outputs ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${file})
    add_custom_command(
      OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${file}
      COMMAND ${CMAKE_COMMAND} -E copy ${VF_HOST_BUILD}/bin/${file} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${file}
      DEPENDS ${VF_HOST_BUILD}/bin/${file}
      VERBATIM)
  endforeach()
  add_custom_target(pictures ALL DEPENDS ${outputs})

  # A program of the window subsystem: no console window opens with the show.
  set_target_properties(veldraflimmer PROPERTIES WIN32_EXECUTABLE ON)

  # The XM writer is portable; the player's tests build their songs with it.
  add_subdirectory(${CMAKE_SOURCE_DIR}/tools/xmwriter ${CMAKE_BINARY_DIR}/tools/xmwriter)
endfunction()

function(vf_windows_googletest)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  vf_googletest_from_source()
endfunction()
