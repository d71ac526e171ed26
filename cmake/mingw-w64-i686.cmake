# Cross-build for 32-bit Windows with MinGW-w64: the shipped programs. Tests
# run under Wine's 32-bit loader.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Fully static: the programs import system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Named in full: the wine command picks a loader of its own.
set(POMVARIN_WINE_LOADER /usr/lib/wine/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run.sh ${POMVARIN_WINE_LOADER})
