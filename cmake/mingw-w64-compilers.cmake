# The mingw-w64 compilers for 64-bit Windows (Debian's g++-mingw-w64-x86-64-posix) and where
# their libraries live: what every cross build needs, nothing about how it links. Qt for Windows
# is built with this file alone (scripts/build-qt-windows.sh); this project's cross build adds
# its own choices on top of it (mingw-w64.cmake). The posix thread model, because the simulated
# camera, the tests and Qt use std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVIN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVIN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVIN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVIN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
