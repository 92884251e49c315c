# Read by CPack once per generator (CPACK_PROJECT_CONFIG_FILE): the setup program is named
# tavin-<version>-win64-setup.exe, beside the zip tavin-<version>-win64.zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
