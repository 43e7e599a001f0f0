# vantello_add_program(<name> [WINDOWS_GUI] SUMMARY <one line> SOURCES <files...> LIBS <targets...>)
#
# A program that users run: built from SOURCES against LIBS, told the project's version
# (PROJECT_VERSION, what --version prints) and the application id (VANTELLO_APP_ID), installed in
# bin, with a man page made by help2man from its --help and --version (NAME line from SUMMARY,
# further sections from packaging/man/<name>.h2m when that file exists). Each program joins the
# Debian package and the AppStream metadata's list of binaries. A program must answer --help and
# --version without a display: its man page is made by running it at build time.
# On Windows there are no man pages; each program gets the program icon and a version resource
# (product name, version, SUMMARY as its description), and WINDOWS_GUI makes a program without a
# console window.
include(GNUInstallDirs)

if(WIN32)
    enable_language(RC)
    # The Windows icon, from the same drawing as the Linux icons. A cross build cannot run what it
    # builds, so it takes the exporter of a Linux build of the same sources (scripts/package-windows
    # builds build/ first); on Windows the exporter is built and run here.
    set(VANTELLO_ICO ${PROJECT_BINARY_DIR}/windows/vantello.ico)
    if(CMAKE_CROSSCOMPILING)
        set(VANTELLO_HOST_EXPORT_ICONS ${PROJECT_SOURCE_DIR}/build/packaging/vantello-export-icons
            CACHE FILEPATH "vantello-export-icons of a build for the machine that builds")
        if(NOT EXISTS ${VANTELLO_HOST_EXPORT_ICONS})
            message(FATAL_ERROR "The icon is painted by a native build's vantello-export-icons, "
                                "not found at ${VANTELLO_HOST_EXPORT_ICONS}: run scripts/build "
                                "first or set VANTELLO_HOST_EXPORT_ICONS.")
        endif()
        set(export_icons ${VANTELLO_HOST_EXPORT_ICONS})
    else()
        set(export_icons vantello-export-icons)
    endif()
    add_custom_command(
        OUTPUT ${VANTELLO_ICO}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/windows
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${export_icons} --ico ${VANTELLO_ICO}
        DEPENDS ${export_icons}
        COMMENT "Windows icon"
        VERBATIM)
    add_custom_target(vantello-ico DEPENDS ${VANTELLO_ICO})
else()
    find_program(HELP2MAN help2man REQUIRED)
endif()

function(vantello_add_program name)
    cmake_parse_arguments(ARG "WINDOWS_GUI" "SUMMARY" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_SUMMARY OR NOT ARG_SOURCES)
        message(FATAL_ERROR "vantello_add_program(${name}): SUMMARY and SOURCES are required")
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_compile_definitions(${name} PRIVATE PROJECT_VERSION="${PROJECT_VERSION}"
                                               VANTELLO_APP_ID="${VANTELLO_APP_ID}")
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    set_property(GLOBAL APPEND PROPERTY VANTELLO_PROGRAMS ${name})

    if(WIN32)
        set(VANTELLO_RC_NAME ${name})
        set(VANTELLO_RC_DESCRIPTION ${ARG_SUMMARY})
        set(VANTELLO_RC_VERSION ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,0)
        set(rc ${PROJECT_BINARY_DIR}/windows/${name}.rc)
        configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
        target_sources(${name} PRIVATE ${rc})
        set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${VANTELLO_ICO})
        add_dependencies(${name} vantello-ico)
        set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ${ARG_WINDOWS_GUI})
        return()
    endif()

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
