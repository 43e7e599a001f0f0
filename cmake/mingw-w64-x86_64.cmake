# Cross compiling for Windows x64 with Debian's MinGW-w64 (the POSIX thread model, for std::thread).
# Used by the `windows` preset and by scripts/build-qt-windows. On Windows itself the preset builds
# natively with Qt's MinGW kit (its compiler on PATH): nothing to set here.
if(CMAKE_HOST_WIN32)
    return()
endif()

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(VANTELLO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTELLO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTELLO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTELLO_MINGW_PREFIX}-windres)
set(CMAKE_AR ${VANTELLO_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${VANTELLO_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")

# Headers and libraries of the target come from the MinGW sysroot and from the prefixes given in
# CMAKE_PREFIX_PATH / CMAKE_FIND_ROOT_PATH (the Qt built for Windows); programs from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${VANTELLO_MINGW_PREFIX} ${CMAKE_PREFIX_PATH})
list(REMOVE_DUPLICATES CMAKE_FIND_ROOT_PATH)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
