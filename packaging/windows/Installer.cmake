# CPack's NSIS installer and zip of what is installed (included by Windows.cmake). Needs
# VANTELLO_VENDOR, VANTELLO_ICO and a license text at ${CMAKE_CURRENT_BINARY_DIR}/copyright.txt.
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
# A 64-bit installer (NSIS' amd64 stubs): it writes the 64-bit registry and Program Files, as
# the programs are 64-bit, and runs where only 64-bit programs run.
set(CPACK_NSIS_DEFINES [[
Target amd64-unicode
!include FileFunc.nsh]])
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [[
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantello" "EstimatedSize" "$0"
]])

include(CPack)
