# WebAssembly with emscripten (Debian's emscripten package, or any emcc on
# the PATH): its own toolchain file, found next to emcc. Programs run under
# node; there are no shared libraries.

# emcc and node are looked for before anything else. Where either is
# missing, configuring as root installs Debian's emscripten (and Debian's
# nodejs and npm where no node is on the PATH: a node from elsewhere brings
# its own npm, which Debian's conflict with), with what the configuration
# needs besides; otherwise it stops with one message naming every package.
include("${CMAKE_CURRENT_LIST_DIR}/ZorvaneBuildDependencies.cmake")

# Should configuring stop here, its message is the only one: without a make
# program and compilers named, CMake would add errors of its own about them,
# which only mislead.
macro(zorvane_stop_quietly)
    find_program(CMAKE_MAKE_PROGRAM NAMES gmake make)
    set(CMAKE_C_COMPILER emcc)
    set(CMAKE_CXX_COMPILER em++)
endmacro()

find_program(ZORVANE_EMCC emcc)
find_program(ZORVANE_EMSCRIPTEN_NODE NAMES node nodejs)
find_program(ZORVANE_NPM npm)
if(ZORVANE_EMSCRIPTEN_NODE AND NOT ZORVANE_NPM)
    zorvane_stop_quietly()
    message(FATAL_ERROR "${ZORVANE_EMSCRIPTEN_NODE} has no npm beside it on the PATH: install the npm that "
                        "belongs to that node (Debian's npm conflicts with a node from elsewhere).")
endif()
if(NOT ZORVANE_EMCC OR NOT ZORVANE_EMSCRIPTEN_NODE)
    if(NOT ZORVANE_EMCC)
        zorvane_need_debian_packages("the WebAssembly compiler, emcc" emscripten)
    endif()
    if(NOT ZORVANE_EMSCRIPTEN_NODE)
        zorvane_need_debian_packages("node, which runs emcc's scripts, builds the site and tests it" nodejs npm)
    endif()
    zorvane_need_common_debian_packages()
    if(NOT DEFINED ZORVANE_WEB_TESTS OR ZORVANE_WEB_TESTS)
        zorvane_need_web_test_debian_packages()
    endif()
    zorvane_stop_quietly()
    zorvane_install_needed_debian_packages()
    unset(CMAKE_C_COMPILER)
    unset(CMAKE_CXX_COMPILER)
    foreach(program IN ITEMS ZORVANE_EMCC ZORVANE_EMSCRIPTEN_NODE ZORVANE_NPM)
        unset(${program} CACHE)
    endforeach()
    find_program(ZORVANE_EMCC emcc REQUIRED)
    find_program(ZORVANE_EMSCRIPTEN_NODE NAMES node nodejs REQUIRED)
    find_program(ZORVANE_NPM npm REQUIRED)
endif()
get_filename_component(zorvane_emscripten_root "${ZORVANE_EMCC}" REALPATH)
get_filename_component(zorvane_emscripten_root "${zorvane_emscripten_root}" DIRECTORY)
include("${zorvane_emscripten_root}/cmake/Modules/Platform/Emscripten.cmake")

# emcc runs parts of itself in node when it links (tools/acorn-optimizer.js),
# and they need node's 'acorn' module. emsdk keeps it in emscripten's own
# node_modules; Debian's emscripten package finds it only through NODE_PATH
# (/usr/share/nodejs, from node-acorn). The directory is found here, once, and
# every link is run with it, so that a configured tree builds however the
# build is started, with or without NODE_PATH in its environment.
function(zorvane_finds_acorn node_path result)
    if(node_path)
        set(environment NODE_PATH=${node_path})
    else()
        set(environment --unset=NODE_PATH)
    endif()
    # From emcc's tools directory, as emcc's own scripts look for it.
    execute_process(
        COMMAND "${CMAKE_COMMAND}" -E env ${environment} "${ZORVANE_EMSCRIPTEN_NODE}" -e "require.resolve('acorn')"
        WORKING_DIRECTORY "${zorvane_emscripten_root}/tools"
        RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
    if(status EQUAL 0)
        set(${result} ON PARENT_SCOPE)
    else()
        set(${result} OFF PARENT_SCOPE)
    endif()
endfunction()

if(NOT DEFINED CACHE{ZORVANE_EMSCRIPTEN_NODE_PATH})
    zorvane_finds_acorn("" acorn_without_node_path)
    set(node_path "")
    if(NOT acorn_without_node_path)
        string(REPLACE ":" ";" candidates "$ENV{NODE_PATH}")
        list(APPEND candidates /usr/share/nodejs /usr/lib/nodejs /usr/local/lib/node_modules)
        foreach(candidate IN LISTS candidates)
            if(candidate AND EXISTS "${candidate}/acorn")
                zorvane_finds_acorn("${candidate}" acorn_found)
                if(acorn_found)
                    set(node_path "${candidate}")
                    break()
                endif()
            endif()
        endforeach()
        if(NOT node_path)
            message(FATAL_ERROR
                "emcc (${ZORVANE_EMCC}) needs node's 'acorn' module to link, and ${ZORVANE_EMSCRIPTEN_NODE} "
                "finds it neither by itself nor in $NODE_PATH, /usr/share/nodejs, /usr/lib/nodejs or "
                "/usr/local/lib/node_modules. Install it (Debian: apt-get install node-acorn), or set "
                "-DZORVANE_EMSCRIPTEN_NODE_PATH=<the directory holding acorn/>.")
        endif()
    endif()
    set(ZORVANE_EMSCRIPTEN_NODE_PATH "${node_path}" CACHE PATH
        "NODE_PATH for emcc's own node scripts (empty: node finds them without it)")
endif()
if(ZORVANE_EMSCRIPTEN_NODE_PATH)
    # For the links this configuration runs itself, and for every link of the build.
    set(ENV{NODE_PATH} "${ZORVANE_EMSCRIPTEN_NODE_PATH}")
    foreach(language IN ITEMS C CXX)
        set(CMAKE_${language}_LINKER_LAUNCHER "${CMAKE_COMMAND}" -E env "NODE_PATH=${ZORVANE_EMSCRIPTEN_NODE_PATH}")
    endforeach()
endif()
