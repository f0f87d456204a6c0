# The show: its portable code as the library `show` (memory file, music clock,
# synchronisation table, pictures, layers and the frame), shared by the
# executable `veldraflimmer` and the offline renderer.
add_library(show STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/music.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/pictures.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/scenes.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/show.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/sync.cpp)
target_include_directories(show PUBLIC ${VF_SOURCE_ROOT})
target_link_libraries(show PUBLIC raster td3d figure kanter player display songdata)

if(EMSCRIPTEN)
  # The entry points of the page; cmake/Web.cmake makes the page around it.
  add_executable(veldraflimmer ${CMAKE_CURRENT_SOURCE_DIR}/main_web.cpp)
else()
  add_executable(veldraflimmer ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
endif()
target_link_libraries(veldraflimmer PRIVATE show)
