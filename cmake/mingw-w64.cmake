# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# which Qt needs for std::thread): package g++-mingw-w64-x86-64-posix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVIRO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVIRO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVIRO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVIRO_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVIRO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
