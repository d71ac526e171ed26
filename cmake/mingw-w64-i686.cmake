# Cross-build for 32-bit Windows with MinGW-w64: the shipped programs. Tests
# run under Wine's 32-bit loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(POMVARIN_MINGW_TARGET i686-w64-mingw32)
set(POMVARIN_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
