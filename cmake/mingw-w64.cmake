# Cross build for 64-bit Windows with Debian's mingw-w64 toolchain (package
# g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         [-DTAVIN_WINDOWS_QT=<Qt for Windows, as scripts/build-qt-windows.sh prints it>]
# Without Qt it builds the Qt-free layers, the simulated camera's board library and their tests;
# with it, also the desktop programs. Programs without Qt are linked statically, so they run
# without the toolchain's DLLs beside them, under Wine too; the Qt programs share the runtime
# DLLs that Qt's own DLLs need (src/CMakeLists.txt).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Qt for Windows: its libraries and CMake packages from its prefix, its code generators (moc,
# uic, rcc) from the host's Qt of the same version.
set(TAVIN_WINDOWS_QT "" CACHE PATH "Qt for Windows (scripts/build-qt-windows.sh)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVIN_WINDOWS_QT)
if(TAVIN_WINDOWS_QT)
    list(PREPEND CMAKE_FIND_ROOT_PATH ${TAVIN_WINDOWS_QT})
    list(PREPEND CMAKE_PREFIX_PATH ${TAVIN_WINDOWS_QT})
    set(QT_HOST_PATH /usr CACHE PATH "The host's Qt, whose tools the Windows build runs")
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
endif()

# Test programs run under Wine when it is installed (CTest prefixes every test command with it).
find_program(TAVIN_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TAVIN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVIN_WINE})
endif()
