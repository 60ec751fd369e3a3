# The Debian packages a configuration needs on the build machine. A fresh
# machine lacks some of them (Boost's headers, GoogleTest, pybind11, libedit);
# so that README's commands work as written, configuring as root on Debian
# installs them with apt-get, as the Windows tests install Wine. Otherwise
# configuring stops with one message that names every missing package, what
# needs it, and the one command that installs them all.
#
#   zorvane_need_debian_packages(<why> <package>...)  needed: the build stops without them
#   zorvane_want_debian_packages(<why> <package>...)  wanted: installed as root, otherwise
#                                                     named, and <why> says what is skipped
#   zorvane_install_needed_debian_packages()          checks, installs, stops or warns
#
# Each part of a configuration adds what it needs before the one check, and
# the find_package() and find_* calls come after it, so that they find what
# was just installed rather than stop at the first package missing.
include_guard(GLOBAL)

function(zorvane_add_debian_packages kind why)
    foreach(package IN LISTS ARGN)
        set_property(GLOBAL APPEND PROPERTY "ZORVANE_${kind}_DEBIAN_PACKAGES" "${package}")
        # What needs each package, for the message; the first reason given wins.
        get_property(known GLOBAL PROPERTY "ZORVANE_DEBIAN_PACKAGE_WHY_${package}" SET)
        if(NOT known)
            set_property(GLOBAL PROPERTY "ZORVANE_DEBIAN_PACKAGE_WHY_${package}" "${why}")
        endif()
    endforeach()
endfunction()

function(zorvane_need_debian_packages why)
    zorvane_add_debian_packages(NEEDED "${why}" ${ARGN})
endfunction()

function(zorvane_want_debian_packages why)
    zorvane_add_debian_packages(WANTED "${why}" ${ARGN})
endfunction()

# What every configuration needs, whatever it builds.
function(zorvane_need_common_debian_packages)
    zorvane_need_debian_packages("Boost.Math's headers, for the solver" libboost-dev)
    zorvane_need_debian_packages("nlohmann/json's header, for answers as JSON" nlohmann-json3-dev)
endfunction()

# What the web calculator's tests need besides emscripten and node: the
# reference model's interpreter, and Chromium for the page's tests in a
# browser, which are skipped without it.
function(zorvane_need_web_test_debian_packages)
    zorvane_need_debian_packages("the web calculator's tests (or -DZORVANE_WEB_TESTS=OFF)" python3)
    zorvane_want_debian_packages("the page's tests in Chromium, and Lighthouse's"
        chromium chromium-driver python3-selenium)
endfunction()

# The packages of ARGN that dpkg does not list as installed, in `result`.
function(zorvane_missing_debian_packages result)
    set(missing)
    foreach(package IN LISTS ARGN)
        execute_process(COMMAND "${ZORVANE_DPKG_QUERY}" -W -f=\${Status} "${package}"
            OUTPUT_VARIABLE status ERROR_QUIET RESULT_VARIABLE failed)
        if(failed OR NOT status MATCHES "install ok installed")
            list(APPEND missing "${package}")
        endif()
    endforeach()
    set(${result} "${missing}" PARENT_SCOPE)
endfunction()

# In `result`: one line a package, with what needs it.
function(zorvane_describe_debian_packages result)
    set(lines "")
    foreach(package IN LISTS ARGN)
        get_property(why GLOBAL PROPERTY "ZORVANE_DEBIAN_PACKAGE_WHY_${package}")
        string(LENGTH "${package}" length)
        math(EXPR width "20 - ${length}")
        if(width LESS 1)
            set(width 1)
        endif()
        string(REPEAT " " ${width} pad)
        string(APPEND lines "  ${package}${pad}${why}\n")
    endforeach()
    set(${result} "${lines}" PARENT_SCOPE)
endfunction()

# apt-get install of ARGN, quietly; `result` is true when it succeeded.
function(zorvane_apt_get_install result)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env DEBIAN_FRONTEND=noninteractive
            "${ZORVANE_APT_GET}" install -y -qq --no-install-recommends ${ARGN}
        RESULT_VARIABLE failed)
    if(failed)
        set(${result} OFF PARENT_SCOPE)
    else()
        set(${result} ON PARENT_SCOPE)
    endif()
endfunction()

function(zorvane_install_needed_debian_packages)
    find_program(ZORVANE_DPKG_QUERY dpkg-query)
    mark_as_advanced(ZORVANE_DPKG_QUERY)
    if(NOT ZORVANE_DPKG_QUERY)
        return()  # not Debian: the find_* calls after this say what is missing
    endif()
    get_property(needed GLOBAL PROPERTY ZORVANE_NEEDED_DEBIAN_PACKAGES)
    get_property(wanted GLOBAL PROPERTY ZORVANE_WANTED_DEBIAN_PACKAGES)
    list(REMOVE_DUPLICATES needed)
    list(REMOVE_DUPLICATES wanted)
    if(needed)
        list(REMOVE_ITEM wanted ${needed})
    endif()
    zorvane_missing_debian_packages(missing_needed ${needed})
    zorvane_missing_debian_packages(missing_wanted ${wanted})
    if(NOT missing_needed AND NOT missing_wanted)
        return()
    endif()

    find_program(ZORVANE_APT_GET apt-get)
    mark_as_advanced(ZORVANE_APT_GET)
    execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    set(lead "This configuration needs Debian packages that are not installed")
    set(advice "Install them as root (configuring as root installs them too)")
    # A wanted package apt-get could not install is not tried again at every
    # configuration of the tree, only named.
    set(wanted_to_try ${missing_wanted})
    if(wanted_to_try AND DEFINED CACHE{ZORVANE_DEBIAN_PACKAGES_REFUSED})
        list(REMOVE_ITEM wanted_to_try $CACHE{ZORVANE_DEBIAN_PACKAGES_REFUSED})
    endif()
    if(ZORVANE_APT_GET AND uid STREQUAL "0" AND (missing_needed OR wanted_to_try))
        string(JOIN " " listed ${missing_needed} ${wanted_to_try})
        message(STATUS "Installing the Debian packages this configuration needs: ${listed}")
        execute_process(COMMAND "${ZORVANE_APT_GET}" update -qq RESULT_VARIABLE failed)
        if(NOT failed)
            zorvane_apt_get_install(installed ${missing_needed} ${wanted_to_try})
            if(NOT installed AND missing_needed AND wanted_to_try)
                # A wanted package this machine cannot have keeps none from the needed.
                zorvane_apt_get_install(installed ${missing_needed})
            endif()
        endif()
        zorvane_missing_debian_packages(missing_needed ${missing_needed})
        zorvane_missing_debian_packages(missing_wanted ${missing_wanted})
        set(ZORVANE_DEBIAN_PACKAGES_REFUSED "${missing_wanted}" CACHE INTERNAL
            "Wanted Debian packages apt-get could not install")
        set(lead "apt-get could not install every Debian package this configuration needs")
        set(advice "apt-get's messages above say why; the command")
    elseif(ZORVANE_APT_GET AND uid STREQUAL "0")
        set(advice "apt-get could not install them at an earlier configuration; the command")
    endif()

    zorvane_describe_debian_packages(needed_lines ${missing_needed})
    zorvane_describe_debian_packages(wanted_lines ${missing_wanted})
    if(missing_needed)
        string(JOIN " " listed ${missing_needed} ${missing_wanted})
        set(also "")
        if(missing_wanted)
            set(also "and, for parts that are skipped without them:\n${wanted_lines}")
        endif()
        message(FATAL_ERROR "${lead}:\n${needed_lines}${also}"
            "${advice}:\n"
            "  apt-get install --no-install-recommends ${listed}\n")
    elseif(missing_wanted)
        string(JOIN " " listed ${missing_wanted})
        message(WARNING "Without these Debian packages, what they are for is skipped:\n${wanted_lines}"
            "${advice}:\n"
            "  apt-get install --no-install-recommends ${listed}\n")
    endif()
endfunction()
