# What a cross build (Windows, WebAssembly) takes from a host build of this
# project: the pictures and the embedded song are made by tools that run on
# the build machine. VF_HOST_BUILD names that build, by default build/release
# after `cmake --build --preset release --target pictures songdata`; its
# bin/*.raw pictures and generated/song_data.cpp are used as they are.
# Included by cmake/Windows.cmake and cmake/Web.cmake.

set(VF_HOST_BUILD "${CMAKE_SOURCE_DIR}/build/release"
    CACHE PATH "Host build of this project holding the generated song and pictures")
# The embedded song's source, compiled by `songdata` (src/demo).
set(VF_HOST_SONG_DATA ${VF_HOST_BUILD}/generated/song_data.cpp)
if(NOT EXISTS ${VF_HOST_SONG_DATA})
  message(FATAL_ERROR "This cross build takes the embedded song from a host build, and "
          "${VF_HOST_SONG_DATA} does not exist. Build it first:\n"
          "  cmake --preset release && cmake --build --preset release --target pictures songdata\n"
          "or point VF_HOST_BUILD at another host build directory.")
endif()

# The host's pictures, one path per file of the show's picture list.
function(vf_host_pictures out)
  set(paths "")
  foreach(file ${VF_PICTURE_FILES})
    list(APPEND paths ${VF_HOST_BUILD}/bin/${file})
  endforeach()
  set(${out} ${paths} PARENT_SCOPE)
endfunction()
