# Cross build for 64-bit Windows (x64) with MinGW-w64:
#   cmake --preset windows-x64 && cmake --build --preset windows-x64
set(VARDELON_MINGW_TRIPLE x86_64-w64-mingw32)
set(VARDELON_MINGW_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
