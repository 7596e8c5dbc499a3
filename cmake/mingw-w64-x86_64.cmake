# Cross-builds vadrimel.exe for 64-bit Windows with Debian's MinGW-w64
# (package g++-mingw-w64-x86-64-posix) and runs its tests under wine:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program, tests included, carries its C and C++ runtime, so that it
# runs on its own without MinGW's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# wine turns a Linux command line and Linux file names into Windows ones by
# the locale: UTF-8, so that names beyond ASCII cross intact.
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8 wine)
