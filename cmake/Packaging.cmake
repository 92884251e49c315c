# Installation and the Debian package: the programs, the simulated camera (as a program and as
# a Camera Link library), man pages, desktop entries, the .tvn file type and its icons.
# Included from the top-level CMakeLists.txt once every target exists.
include(GNUInstallDirs)

set(TAVIN_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
# Private libraries: a fixed folder below the prefix, named in the man pages and the README.
set(TAVIN_LIBRARY_DIR lib/tavin)

set(tavin_programs tavinctl tavin-camsim)
foreach(program morva-7e tavin)
    if(TARGET ${program})
        list(APPEND tavin_programs ${program})
    endif()
endforeach()
install(TARGETS ${tavin_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The simulated camera as a board library, and under the file name the Camera-Link-only
# program loads, in a folder of its own so that only LD_LIBRARY_PATH pointing there reaches
# it: installed beside real board libraries it would stand in for a real board.
install(TARGETS clsersim LIBRARY DESTINATION ${TAVIN_LIBRARY_DIR})
install(CODE [[
    set(board "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/tavin/sim-board")
    file(MAKE_DIRECTORY "${board}")
    file(CREATE_LINK ../libclsersim.so "${board}/libclsermtx.so" SYMBOLIC)
]])

install(FILES
    ${TAVIN_PACKAGING_DIR}/man/tavinctl.1
    ${TAVIN_PACKAGING_DIR}/man/tavin-camsim.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET morva-7e)
    install(FILES ${TAVIN_PACKAGING_DIR}/morva-7e.desktop ${TAVIN_PACKAGING_DIR}/tavin.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${TAVIN_PACKAGING_DIR}/tavin-settings.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
    install(FILES ${TAVIN_PACKAGING_DIR}/icons/morva-7e.svg ${TAVIN_PACKAGING_DIR}/icons/tavin.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${TAVIN_PACKAGING_DIR}/icons/application-x-tavin-settings.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)
    install(FILES ${TAVIN_PACKAGING_DIR}/man/morva-7e.1 ${TAVIN_PACKAGING_DIR}/man/tavin.1
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${TAVIN_PACKAGING_DIR}/samples/factory.tvn
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tavin/samples)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The folder of the lines' links and settings files and of the system's COM port map, which
# tavinctl ports --map --system edits but does not make.
install(DIRECTORY DESTINATION /etc/tavin)

# Restoring a line's camera settings at boot: a systemd template unit that names tavinctl
# where this installation puts it, so the file is written at install time, not configure time
# (the package installs below another prefix than a plain build).
install(CODE "set(tavin_unit_source \"${TAVIN_PACKAGING_DIR}/tavin-restore@.service\")
              set(tavin_bindir \"${CMAKE_INSTALL_BINDIR}\")")
install(CODE [[
    file(READ "${tavin_unit_source}" unit)
    string(REPLACE "@TAVIN_BINDIR@" "${CMAKE_INSTALL_PREFIX}/${tavin_bindir}" unit "${unit}")
    file(WRITE "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/systemd/system/tavin-restore@.service"
         "${unit}")
]])

# The Debian package: cmake --build build --target package leaves it in build/package/.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavin)
set(CPACK_PACKAGE_VENDOR "tavin developers")
set(CPACK_PACKAGE_CONTACT "tavin developers <tavin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Remote control for the MORVA-7E industrial video camera")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Reads every setting of a MORVA-7E camera over an RS-232C port or a Camera Link frame "
    "grabber's serial library, changes them on a control panel and keeps them in .tvn data "
    "files. Contains the programs morva-7e and tavin, the command-line tool tavinctl and a "
    "simulated camera (tavin-camsim, libclsersim.so) for trying it without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Shared libraries are found by dpkg-shlibdeps; the toolkit's platform plugins and the forms'
# font are loaded at run time, so no library dependency names them.
find_program(TAVIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TAVIN_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
else()
    string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libqt6core6, libqt6gui6, "
           "libqt6widgets6, libserialport0, qt6-qpa-plugins, fonts-liberation")
endif()
include(CPack)
