# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 toolchain
# (apt-get install g++-mingw-w64-x86-64). Everything is linked statically, so the
# programs need no DLL beyond those every Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUENWICK_MINGW_PREFIX x86_64-w64-mingw32)
# The win32 thread model: no winpthread library, which the programs do not need.
find_program(CMAKE_CXX_COMPILER NAMES ${QUENWICK_MINGW_PREFIX}-g++-win32 ${QUENWICK_MINGW_PREFIX}-g++
             REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${QUENWICK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
