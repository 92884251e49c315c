# TAVIN_MINGW_RUNTIME_DLLS: the MinGW compiler's runtime DLLs, which Qt's DLLs need and the Qt
# programs share; they go beside every program that loads Qt. Found where the compiler keeps its
# libraries (a cross compiler) or beside the compiler itself (MSYS2 and the Qt installer's kit).
set(TAVIN_MINGW_RUNTIME_DLLS)
get_filename_component(tavin_compiler_dir ${CMAKE_CXX_COMPILER} DIRECTORY)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        set(path ${tavin_compiler_dir}/${dll})
    endif()
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "The compiler's runtime ${dll} was not found")
    endif()
    get_filename_component(path ${path} REALPATH)
    list(APPEND TAVIN_MINGW_RUNTIME_DLLS ${path})
endforeach()
