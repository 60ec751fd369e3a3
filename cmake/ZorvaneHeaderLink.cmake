# A header-only library from the build machine (a Debian -dev package), seen
# through a directory of the build tree that holds nothing but a link to it,
# so that a cross build (WebAssembly, Windows) gets that library without the
# build machine's other headers.
include_guard(GLOBAL)

# Adds the link for `folder` (boost, nlohmann) to `target` as a private
# system include; `probe` is a header in it, `package` the Debian package
# that brings it. The cache variable `variable` may name its directory.
function(zorvane_link_build_machine_headers target variable folder probe package)
    find_path(${variable} "${folder}/${probe}"
        HINTS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH
        DOC "The directory holding ${folder}/ (used header-only)")
    if(NOT ${variable})
        message(FATAL_ERROR "${folder}/${probe} not found: install ${package}, "
                            "or set ${variable} to the directory holding ${folder}/")
    endif()
    set(link_dir "${CMAKE_CURRENT_BINARY_DIR}/${folder}-headers")
    file(MAKE_DIRECTORY "${link_dir}")
    file(CREATE_LINK "${${variable}}/${folder}" "${link_dir}/${folder}" SYMBOLIC)
    target_include_directories(${target} SYSTEM PRIVATE "${link_dir}")
endfunction()
