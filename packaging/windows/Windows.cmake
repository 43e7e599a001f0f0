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
    set(STRIP \"${CMAKE_STRIP}\")
    include(\"${CMAKE_CURRENT_SOURCE_DIR}/windows/DeployDlls.cmake\")
")

install(FILES ${VANTELLO_ICO} DESTINATION .)
configure_file(debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/copyright.txt COPYONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright.txt DESTINATION .)

# The installer and the zip.
include(${CMAKE_CURRENT_LIST_DIR}/Installer.cmake)
