# vantello_add_program(<name> SUMMARY <one line> SOURCES <files...> LIBS <targets...>)
#
# A program that users run: built from SOURCES against LIBS, told the project's version
# (PROJECT_VERSION, what --version prints) and the application id (VANTELLO_APP_ID), installed in
# bin, with a man page made by help2man from its --help and --version (NAME line from SUMMARY,
# further sections from packaging/man/<name>.h2m when that file exists). Each program joins the
# Debian package and the AppStream metadata's list of binaries. A program must answer --help and
# --version without a display: its man page is made by running it at build time.
include(GNUInstallDirs)

find_program(HELP2MAN help2man REQUIRED)

function(vantello_add_program name)
    cmake_parse_arguments(ARG "" "SUMMARY" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_SUMMARY OR NOT ARG_SOURCES)
        message(FATAL_ERROR "vantello_add_program(${name}): SUMMARY and SOURCES are required")
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_compile_definitions(${name} PRIVATE PROJECT_VERSION="${PROJECT_VERSION}"
                                               VANTELLO_APP_ID="${VANTELLO_APP_ID}")
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    set_property(GLOBAL APPEND PROPERTY VANTELLO_PROGRAMS ${name})

    set(extra ${PROJECT_SOURCE_DIR}/packaging/man/${name}.h2m)
    set(page ${PROJECT_BINARY_DIR}/man/${name}.1)
    set(depends ${name})
    if(EXISTS ${extra})
        list(APPEND depends ${extra})
    endif()
    # Run by its bare name (from a PATH that starts with the build folder), so the page shows
    # "vantello", not the build path; no display, as on a build machine; with the home folder
    # written "~", so folders under it read as they do for every user.
    add_custom_command(
        OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                --unset=QT_QPA_PLATFORM --unset=XDG_STATE_HOME "HOME=~" "PATH=$<TARGET_FILE_DIR:${name}>:$ENV{PATH}"
                SOURCE_DATE_EPOCH=${VANTELLO_RELEASE_EPOCH}
                ${HELP2MAN} --no-info --section=1 --name=${ARG_SUMMARY}
                --version-string=${PROJECT_VERSION} --opt-include=${extra}
                --output=${page} ${name}
        COMMAND gzip -9nf ${page}
        DEPENDS ${depends}
        COMMENT "Man page of ${name}"
        VERBATIM)
    add_custom_target(${name}-man ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
