# Cross-build for 64-bit Windows with MinGW-w64: a test twin of the shipped
# 32-bit programs, for hosts that run no 32-bit code. Tests run under Wine's
# 64-bit loader.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(POMVARIN_MINGW_TARGET x86_64-w64-mingw32)
set(POMVARIN_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
