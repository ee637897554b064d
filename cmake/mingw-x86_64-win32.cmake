# 64-bit Windows build with Debian's MinGW-w64 win32 thread model cross compiler: Trovel.exe.
# It links no winpthreads, so the exe imports nothing the oldest Windows of the flavour lacks.
# Named with the model: installing both switches the plain *-w64-mingw32-* alternatives.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TROVEL_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TROVEL_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TROVEL_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${TROVEL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TROVEL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
