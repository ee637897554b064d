# 32-bit Windows build with Debian's MinGW-w64 win32 thread model cross compiler: Trovel.exe.
# It links no winpthreads, so the exe imports nothing the oldest Windows of the flavour lacks.
# Named with the model: installing both switches the plain *-w64-mingw32-* alternatives.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TROVEL_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
