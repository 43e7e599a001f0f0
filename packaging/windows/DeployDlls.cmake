# Copies into the installed program folder every DLL the installed programs and plugins load, found
# from their imports (objdump -p), transitively: the Qt libraries, the MinGW runtime, and what
# those import in turn. A DLL is looked for in SEARCH_DIRS; one that is not there must be a part of
# Windows, which the cross compiler knows by its import library (lib<name>.a in SYSTEM_LIB_DIR).
# Anything else stops the installation (and so the packaging) with its name and who needs it.
#
# Run at install time (cmake -P or install(CODE)) with:
#   BIN_DIR         the installed folder holding the programs (gets the DLLs)
#   PLUGINS         "<plugin dll>=<sub folder of BIN_DIR>" entries to install first
#   SEARCH_DIRS     where DLLs are taken from, in order
#   SYSTEM_LIB_DIR  the compiler's library folder (libkernel32.a ...)
#   OBJDUMP         objdump for PE files
#   STRIP           strip for PE files (optional): the copies lose their debugging sections

cmake_policy(PUSH)
cmake_policy(SET CMP0057 NEW) # if(IN_LIST), also when run as a script

foreach(var BIN_DIR SEARCH_DIRS SYSTEM_LIB_DIR OBJDUMP)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "DeployDlls.cmake: ${var} is not set")
    endif()
endforeach()

foreach(entry IN LISTS PLUGINS)
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 plugin)
    list(GET parts 1 folder)
    if(NOT EXISTS "${plugin}")
        message(FATAL_ERROR "The Qt plugin ${plugin} is missing")
    endif()
    file(INSTALL "${plugin}" DESTINATION "${BIN_DIR}/${folder}")
endforeach()

# The DLL names a PE file imports, as written in it.
function(pe_imports file out)
    execute_process(COMMAND "${OBJDUMP}" -p "${file}" OUTPUT_VARIABLE dump
                    RESULT_VARIABLE result ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "objdump cannot read ${file}: ${error}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
    set(names "")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^DLL Name: " "" name "${line}")
        string(STRIP "${name}" name)
        list(APPEND names "${name}")
    endforeach()
    set(${out} ${names} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE queue "${BIN_DIR}/*.exe" "${BIN_DIR}/*.dll")
set(seen "")
set(deployed "")
while(queue)
    list(POP_FRONT queue file)
    pe_imports("${file}" imports)
    foreach(dll IN LISTS imports)
        string(TOLOWER "${dll}" key)
        if(key IN_LIST seen)
            continue()
        endif()
        list(APPEND seen "${key}")
        set(found "")
        foreach(dir IN LISTS SEARCH_DIRS)
            if(EXISTS "${dir}/${dll}")
                set(found "${dir}/${dll}")
                break()
            endif()
        endforeach()
        if(found)
            file(INSTALL "${found}" DESTINATION "${BIN_DIR}")
            if(STRIP)
                execute_process(COMMAND "${STRIP}" --strip-debug "${BIN_DIR}/${dll}"
                                RESULT_VARIABLE stripped)
                if(NOT stripped EQUAL 0)
                    message(FATAL_ERROR "${STRIP} could not strip ${BIN_DIR}/${dll}")
                endif()
            endif()
            list(APPEND deployed "${dll}")
            list(APPEND queue "${BIN_DIR}/${dll}")
            continue()
        endif()
        string(REGEX REPLACE "\\.(dll|drv)$" "" stem "${key}") # winspool.drv is a DLL too
        if(EXISTS "${SYSTEM_LIB_DIR}/lib${stem}.a" OR key MATCHES "^api-ms-win-")
            continue() # part of Windows
        endif()
        get_filename_component(needer "${file}" NAME)
        message(FATAL_ERROR "${needer} needs ${dll}, which is neither in ${SEARCH_DIRS} nor a "
                            "part of Windows")
    endforeach()
endwhile()
list(SORT deployed)
string(REPLACE ";" ", " deployed "${deployed}")
message(STATUS "DLLs deployed from the programs' imports: ${deployed}")
cmake_policy(POP)
