# The Debian packages a configuration needs on the build machine. A fresh
# machine lacks some of them (Boost's headers, GoogleTest); when configuring
# as root on Debian they are installed with apt-get, as the Windows tests
# install Wine, so that README's two commands work as written. Otherwise
# configuring stops with the command that installs them.
include_guard(GLOBAL)

function(zorvane_require_debian_packages)
    find_program(ZORVANE_DPKG_QUERY dpkg-query)
    mark_as_advanced(ZORVANE_DPKG_QUERY)
    if(NOT ZORVANE_DPKG_QUERY)
        return()  # not Debian: the find_* calls below say what is missing
    endif()
    set(missing)
    foreach(package IN LISTS ARGN)
        execute_process(COMMAND "${ZORVANE_DPKG_QUERY}" -W -f=\${Status} "${package}"
            OUTPUT_VARIABLE status ERROR_QUIET RESULT_VARIABLE failed)
        if(failed OR NOT status MATCHES "install ok installed")
            list(APPEND missing "${package}")
        endif()
    endforeach()
    if(NOT missing)
        return()
    endif()
    string(JOIN " " listed ${missing})
    find_program(ZORVANE_APT_GET apt-get)
    mark_as_advanced(ZORVANE_APT_GET)
    execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT ZORVANE_APT_GET OR NOT uid STREQUAL "0")
        message(FATAL_ERROR "This build needs Debian packages that are not installed: ${listed}\n"
                            "Install them with: apt-get install --no-install-recommends ${listed}")
    endif()
    message(STATUS "Installing the build's Debian packages: ${listed}")
    execute_process(COMMAND "${ZORVANE_APT_GET}" update -qq RESULT_VARIABLE failed)
    if(NOT failed)
        execute_process(COMMAND "${CMAKE_COMMAND}" -E env DEBIAN_FRONTEND=noninteractive
                "${ZORVANE_APT_GET}" install -y -qq --no-install-recommends ${missing}
            RESULT_VARIABLE failed)
    endif()
    if(failed)
        message(FATAL_ERROR "apt-get could not install: ${listed}")
    endif()
endfunction()
