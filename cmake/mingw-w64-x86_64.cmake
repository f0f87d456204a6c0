# Cross build for 64-bit Windows with Debian's mingw-w64 (the -posix compilers:
# the -win32 ones lack std::thread and std::mutex). Executables are linked
# statically, so they need no DLL of the compiler at run time. Tests and the
# other built programs run under Wine through the cross-compiling emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VF_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VF_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VF_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VF_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VF_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Debian installs the 64-bit loader outside PATH; the `wine` package adds a
# wrapper that picks it. Either serves.
find_program(VF_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VF_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VF_WINE})
endif()
