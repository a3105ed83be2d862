# Cross build for 32-bit Windows (x86) with MinGW-w64:
#   cmake --preset windows-x86 && cmake --build --preset windows-x86
set(VARDELON_MINGW_TRIPLE i686-w64-mingw32)
set(VARDELON_MINGW_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
