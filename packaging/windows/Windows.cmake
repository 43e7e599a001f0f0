# What the Windows programs need besides themselves, and the two artefacts CPack makes of them
# (scripts/package-windows):
#   Vantello-<version>-win64.exe   an NSIS installer: per machine into Program Files\Vantello, a
#                                  Start menu shortcut, an uninstaller listed in Apps & features;
#                                  /S installs and uninstalls silently
#   Vantello-<version>-win64.zip   the same files, to unpack and run anywhere
# Installed layout: bin\vantello.exe, bin\vantello-log.exe, the DLLs they load beside them, Qt's
# plugins in bin\platforms and bin\styles, the icon and the licence texts in the top folder.

set(VANTELLO_VENDOR "The Vantello developers")

include(${PROJECT_SOURCE_DIR}/cmake/WindowsRuntime.cmake)
set(qt_plugins ${VANTELLO_WINDOWS_QT_PREFIX}/plugins)
get_filename_component(compiler_dir "${CMAKE_CXX_COMPILER}" DIRECTORY)
find_program(VANTELLO_OBJDUMP NAMES ${VANTELLO_MINGW_PREFIX}-objdump objdump
             HINTS "${compiler_dir}" REQUIRED)

# The plugins the programs load: the platform, the native style. Printing to the Windows printers
# is built into Qt Print Support.
set(plugins
    "${qt_plugins}/platforms/qwindows.dll=platforms"
    "${qt_plugins}/styles/qwindowsvistastyle.dll=styles")

install(CODE "
    set(BIN_DIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    set(PLUGINS \"${plugins}\")
    set(SEARCH_DIRS \"${VANTELLO_WINDOWS_DLL_DIRS}\")
    set(SYSTEM_LIB_DIR \"${VANTELLO_WINDOWS_SYSTEM_LIB_DIR}\")
    set(OBJDUMP \"${VANTELLO_OBJDUMP}\")
    include(\"${CMAKE_CURRENT_SOURCE_DIR}/windows/DeployDlls.cmake\")
")

install(FILES ${VANTELLO_ICO} DESTINATION .)
configure_file(debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/copyright.txt COPYONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright.txt DESTINATION .)

# Values reach the NSIS script as written here.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME Vantello)
set(CPACK_PACKAGE_VENDOR ${VANTELLO_VENDOR})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion for hand-held thermo-anemometers")
set(CPACK_PACKAGE_FILE_NAME Vantello-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Vantello)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Vantello)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_BINARY_DIR}/copyright.txt)
set(CPACK_STRIP_FILES ON)
# The Start menu shortcut: bin\vantello.exe under the name "Vantello".
set(CPACK_PACKAGE_EXECUTABLES vantello Vantello)

set(CPACK_NSIS_PACKAGE_NAME Vantello)
set(CPACK_NSIS_DISPLAY_NAME "Vantello ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALL_ROOT [[$PROGRAMFILES64]])
set(CPACK_NSIS_MUI_ICON ${VANTELLO_ICO})
set(CPACK_NSIS_MUI_UNIICON ${VANTELLO_ICO})
set(CPACK_NSIS_INSTALLED_ICON_NAME [[bin\vantello.exe]])
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_CONTACT "developers@vantello.org")
# Apps & features shows the installed size from EstimatedSize (KiB), which CPack's template does
# not write: measured once the files are in place.
set(CPACK_NSIS_DEFINES [[!include FileFunc.nsh]])
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [[
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantello" "EstimatedSize" "$0"
]])

set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
