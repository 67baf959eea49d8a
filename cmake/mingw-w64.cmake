# Cross-compiles native 64-bit Windows programs with Debian's MinGW-w64 (posix threads).
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SONAREL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SONAREL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SONAREL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SONAREL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SONAREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry their C and C++ runtimes (and winpthread) inside: nothing to ship
# beside the .exe files but what every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run under Wine through CTest's emulator.
find_program(SONAREL_WINE wine)
if(SONAREL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${SONAREL_WINE})
endif()
