# Where the DLLs of a Windows build come from, for packaging (DeployDlls.cmake) and for running
# the tests under Wine:
#   VANTELLO_WINDOWS_DLL_DIRS        Qt's bin folder, then the compiler's runtime DLLs
#                                    (libstdc++, libgcc_s, libwinpthread)
#   VANTELLO_WINDOWS_QT_PREFIX       the Qt found (its bin and plugins folders)
#   VANTELLO_WINDOWS_SYSTEM_LIB_DIR  the import libraries of Windows' own DLLs (libkernel32.a ...)
get_filename_component(VANTELLO_WINDOWS_QT_PREFIX "${Qt6_DIR}/../../.." ABSOLUTE)
set(VANTELLO_WINDOWS_DLL_DIRS "${VANTELLO_WINDOWS_QT_PREFIX}/bin")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(IS_ABSOLUTE "${path}" AND EXISTS "${path}")
        get_filename_component(dir "${path}" DIRECTORY)
        list(APPEND VANTELLO_WINDOWS_DLL_DIRS "${dir}")
    endif()
endforeach()
# Qt's MinGW kit keeps them beside the compiler.
get_filename_component(compiler_dir "${CMAKE_CXX_COMPILER}" DIRECTORY)
list(APPEND VANTELLO_WINDOWS_DLL_DIRS "${compiler_dir}")
list(REMOVE_DUPLICATES VANTELLO_WINDOWS_DLL_DIRS)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libkernel32.a
                OUTPUT_VARIABLE kernel32 OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT IS_ABSOLUTE "${kernel32}")
    message(FATAL_ERROR "The compiler has no libkernel32.a: cannot tell Windows' DLLs from others")
endif()
get_filename_component(VANTELLO_WINDOWS_SYSTEM_LIB_DIR "${kernel32}" DIRECTORY)
