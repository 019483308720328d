# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model, for std::thread):
#   cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Programs the build runs and the tests run under Wine (wine64) when it is
# installed; scripts/test.d/windows.sh gives them a Wine prefix of their own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLMER_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOLMER_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLMER_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLMER_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOLMER_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian keeps the 64-bit loader off the PATH.
find_program(TOLMER_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine)
if(TOLMER_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TOLMER_WINE64})
endif()
