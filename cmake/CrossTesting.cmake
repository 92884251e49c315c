# Tests in a cross build: GoogleTest and GoogleMock built from Debian's sources (package
# googletest) with the build's own compiler, as no GoogleTest for the target system is
# installed, and run under the toolchain's emulator (Wine for Windows).
set(TAVIN_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${TAVIN_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${TAVIN_GOOGLETEST_SOURCE}: install Debian's "
                        "googletest package or set TAVIN_GOOGLETEST_SOURCE")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
# Built only as far as the tests need it, and not held to this project's warning flags.
add_subdirectory(${TAVIN_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(library gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${library})
        add_library(GTest::${library} ALIAS ${library})
    endif()
endforeach()

include(GoogleTest)
# Every process under the emulator pays its start-up (a few tenths of a second under Wine), and
# discovery would start one per test case, at build time, where the emulator may be missing.
# So each test program is one CTest test here; GoogleTest still reports every case that fails.
function(gtest_discover_tests target)
    cmake_parse_arguments(arg "" "" "PROPERTIES" ${ARGN})
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
    if(arg_PROPERTIES)
        set_tests_properties(${target} PROPERTIES ${arg_PROPERTIES})
    endif()
endfunction()
