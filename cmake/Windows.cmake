# The Windows cross build (cmake/mingw-w64-x86_64.cmake), included by the top
# level in place of the Linux packages. Windows programs need neither SDL2 nor
# FreeType nor libpng: the display and the sound have back ends of their own.
#
# The pictures and the embedded song come from a host build (cmake/HostBuild.cmake).
#
# GoogleTest is built from Debian's source package for the target; the tests
# run under Wine, so they are listed when CTest runs them (a Wine prefix takes
# a while to start the first time).

include(${CMAKE_CURRENT_LIST_DIR}/HostBuild.cmake)

# The Windows C headers define M_PI and friends only when asked to (glibc's do
# by default).
add_compile_definitions(_USE_MATH_DEFINES)

# Also serves the ordinary build rules after an include of this file.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# Called by the top level after the libraries and the show are defined.
function(vf_windows_targets)
  # The pictures beside the executable, as the show reads them.
  vf_host_pictures(pictures)
  set(outputs "")
  foreach(picture ${pictures})
    get_filename_component(file ${picture} NAME)
    list(APPEND outputs ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${file})
    add_custom_command(
      OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${file}
      COMMAND ${CMAKE_COMMAND} -E copy ${picture} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${file}
      DEPENDS ${picture}
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
