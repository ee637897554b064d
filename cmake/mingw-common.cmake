# What every cross toolchain file shares; each names its processor, triple and compilers first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_RC_COMPILER ${TROVEL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TROVEL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
