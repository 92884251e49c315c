# Windows: the programs' resources, the install tree, the setup program and the portable zip.
# Included from the top-level CMakeLists.txt once every target exists.
#
#   cmake --build build-win --target package   # build-win/package/tavin-<version>-win64-setup.exe
#                                              # and tavin-<version>-win64.zip
#
# The install tree is flat, as Windows programs are: the programs with every DLL they load
# beside them, so that they start on a bare Windows.
set(TAVIN_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

# Each desktop program: its icon and version as Windows resources, and no console window. The
# first icon is the program's; the second is the data file icon the installer gives .tvn files.
function(tavin_windows_program target title description icon)
    set(program ${target})
    set(program_title "${title}")
    set(program_description "${description}")
    set(program_icon ${TAVIN_PACKAGING_DIR}/icons/${icon})
    set(document_icon ${TAVIN_PACKAGING_DIR}/icons/application-x-tavin-settings.ico)
    configure_file(${PROJECT_SOURCE_DIR}/src/app/programs/program.rc.in
                   ${CMAKE_BINARY_DIR}/resources/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/resources/${target}.rc)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()

# Programs, in the order of their Start-menu entries; a program joins the install tree as soon
# as its target exists in this build.
set(tavin_programs)
if(TARGET morva-7e)
    tavin_windows_program(morva-7e "MORVA-7E" "MORVA-7E camera control" morva-7e.ico)
    tavin_windows_program(tavin "MORVA-7ECL for Meteor_2_CL"
                          "MORVA-7E camera control (Camera Link)" tavin.ico)
    list(APPEND tavin_programs morva-7e tavin)
endif()
foreach(program tavinctl)
    if(TARGET ${program})
        list(APPEND tavin_programs ${program})
    endif()
endforeach()
if(tavin_programs)
    install(TARGETS ${tavin_programs} RUNTIME DESTINATION .)
endif()

if(TARGET morva-7e)
    # Qt's DLLs and the plugins it loads at start from the program's folder: the Windows platform
    # and the native look.
    install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
            DESTINATION .)
    install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
    install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
    # The compiler's runtime, which Qt's DLLs and the Qt programs share.
    install(FILES ${TAVIN_MINGW_RUNTIME_DLLS} DESTINATION .)
endif()

# The simulated camera as a board library, and in sim-board/ under the file name the
# Camera-Link-only program loads: started with sim-board/ as its current folder, the program
# finds it there (Windows looks in the current folder after the program's own and the system's),
# and a real board's library still comes first.
install(FILES $<TARGET_FILE:clsersim> DESTINATION .)
install(FILES $<TARGET_FILE:clsersim> DESTINATION sim-board RENAME clsermtx.dll)
install(FILES ${TAVIN_PACKAGING_DIR}/samples/factory.tvn DESTINATION samples)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

# The setup program (NSIS, Debian's nsis) and the zip of the same tree.
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME tavin)
set(CPACK_PACKAGE_VENDOR "tavin developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Remote control for the MORVA-7E industrial video camera")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "MORVA-7E")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "tavin")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
# Values reach the NSIS script as written here (backslashes included).
set(CPACK_VERBATIM_VARIABLES ON)
# The zip unpacks into a folder of its own name.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# tavin-<version>-win64.zip, and the setup program with -setup added (CPackWindows.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackWindows.cmake)

# A 64-bit installer: Program Files and the registry without the 32-bit redirection. The
# Start-menu folder is named as the install folder. The installer's own key lies below one named
# after the vendor; the uninstaller takes that one too once nothing else is in it.
string(CONCAT CPACK_NSIS_DEFINES
    "Target amd64-unicode\n"
    "!define MUI_STARTMENUPAGE_DEFAULTFOLDER \"MORVA-7E\"\n"
    "Function un.onUninstSuccess\n"
    "DeleteRegKey /ifempty SHCTX 'Software\\${CPACK_PACKAGE_VENDOR}'\n"
    "FunctionEnd\n")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "MORVA-7E camera control ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "MORVA-7E camera control")
set(CPACK_NSIS_INSTALLED_ICON_NAME morva-7e.exe)
set(CPACK_NSIS_MUI_ICON ${TAVIN_PACKAGING_DIR}/icons/morva-7e.ico)
set(CPACK_NSIS_MUI_UNIICON ${TAVIN_PACKAGING_DIR}/icons/morva-7e.ico)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
# Start-menu entries, named as the programs' windows are.
if(TARGET morva-7e)
    set(CPACK_PACKAGE_EXECUTABLES morva-7e "MORVA-7E" tavin "MORVA-7ECL for Meteor_2_CL")
endif()
# The .tvn file type: its icon and opening in morva-7e.exe. Taken back on uninstall only where it
# is still this program's, and Explorer is told either way.
set(tavin_progid "tavin.SettingsFile")
string(CONCAT CPACK_NSIS_EXTRA_INSTALL_COMMANDS
    "WriteRegStr SHCTX 'Software\\Classes\\.tvn' '' '${tavin_progid}'\n"
    "WriteRegStr SHCTX 'Software\\Classes\\${tavin_progid}' '' 'MORVA-7E camera settings'\n"
    "WriteRegStr SHCTX 'Software\\Classes\\${tavin_progid}\\DefaultIcon' '' "
    "'$INSTDIR\\morva-7e.exe,1'\n"
    "WriteRegStr SHCTX 'Software\\Classes\\${tavin_progid}\\shell\\open\\command' '' "
    "'\"$INSTDIR\\morva-7e.exe\" \"%1\"'\n"
    "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'\n")
string(CONCAT CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
    "ReadRegStr $0 SHCTX 'Software\\Classes\\.tvn' ''\n"
    "StrCmp $0 '${tavin_progid}' 0 +2\n"
    "DeleteRegValue SHCTX 'Software\\Classes\\.tvn' ''\n"
    "DeleteRegKey /ifempty SHCTX 'Software\\Classes\\.tvn'\n"
    "DeleteRegKey SHCTX 'Software\\Classes\\${tavin_progid}'\n"
    "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'\n")
include(CPack)
