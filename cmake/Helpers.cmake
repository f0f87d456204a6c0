# Small helpers shared by the subsystem CMakeLists files.

# vf_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>]
#             [FIXTURES <CTest fixtures the tests need>])
# A GoogleTest executable whose tests are registered with CTest one by one.
# Parameterised tests are named by their name generator alone, never by the
# printed bytes of the parameter, so the names stay the same from build to build.
function(vf_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;FIXTURES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  # Only properties with a value: an empty one would swallow the next name.
  set(properties "")
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  if(ARG_FIXTURES)
    list(APPEND properties FIXTURES_REQUIRED "${ARG_FIXTURES}")
  endif()
  if(EMSCRIPTEN)
    # Run by Node.js, which cannot fetch() the .wasm file: compiled from the
    # file synchronously instead (cmake/Web.cmake).
    target_link_options(${name} PRIVATE -sENVIRONMENT=node -sWASM_ASYNC_COMPILATION=0)
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    DISCOVERY_TIMEOUT 60
    NO_PRETTY_VALUES
    PROPERTIES ${properties})
  # The ThreadSanitizer build compiles only the tests that run the mixing thread.
  if("threads" IN_LIST ARG_LABELS AND TARGET threads_tests)
    add_dependencies(threads_tests ${name})
  endif()
endfunction()

# vf_add_bench(<name> SOURCES <files...> LIBS <targets...>)
function(vf_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# Adds every direct subdirectory of the current source directory that has a
# CMakeLists.txt, so that each topic can own its own folder of tests or tools.
function(vf_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# GoogleTest built from Debian's source package (googletest) for a target that
# has no installed GoogleTest: the Windows and the WebAssembly builds. Options
# the target needs (such as gtest_disable_pthreads) are set before the call.
function(vf_googletest_from_source)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Newer GoogleTest releases name their targets like the installed package.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endfunction()
