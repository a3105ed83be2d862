# What both MinGW-w64 toolchain files share; they set VARDELON_MINGW_TRIPLE
# and VARDELON_MINGW_PROCESSOR first. The VardelonLink DLL, the simulator DLL
# and the jar are built for Windows: there the system's ole32 and oleaut32 stand
# in for the portable automation layer.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VARDELON_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${VARDELON_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VARDELON_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${VARDELON_MINGW_TRIPLE}-windres)

# Libraries and headers from the MinGW sysroot; programs (java, javac) from
# the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VARDELON_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The DLLs and the simulator's program must run on a bare Windows: the
# compiler's own runtime (libgcc, libstdc++, winpthread) is linked in rather
# than shipped beside them.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
