# 32-bit Windows build with Debian's MinGW-w64 posix thread model cross compiler: the test programs,
# whose GoogleTest needs std::mutex, which GCC 12's win32 thread model lacks.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TROVEL_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Trovel.exe itself is made by a nested build with the win32 thread model (see CMakeLists.txt).
set(TROVEL_SHIP_TOOLCHAIN ${CMAKE_CURRENT_LIST_DIR}/mingw-i686-win32.cmake)
