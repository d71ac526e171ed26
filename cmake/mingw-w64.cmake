# What both MinGW-w64 toolchain files share; each names its processor, the
# compilers' target triple and Wine's loader for that word size first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${POMVARIN_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${POMVARIN_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${POMVARIN_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${POMVARIN_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Fully static: the programs import system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The loader is named in full: the wine command picks one of its own.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run.sh ${POMVARIN_WINE_LOADER})
