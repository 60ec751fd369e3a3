# Cross-compiling for Windows with Debian's mingw-w64 (g++-mingw-w64-<arch>-win32),
# for the triple a toolchain file of this directory sets as ZORVANE_TRIPLE.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${ZORVANE_TRIPLE}-gcc-win32 ${ZORVANE_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ZORVANE_TRIPLE}-g++-win32 ${ZORVANE_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZORVANE_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ZORVANE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debug information in every build: the release splits it off into .debug
# files beside stripped binaries (packaging/windows). The source and build
# directories are mapped to "." in it (the build's last, as it lies inside the
# source tree in the presets' layout), so that two builds in different
# directories still give the same bytes. At link time too, for the code
# that link-time optimisation generates there.
set(zorvane_debug_flags "-g -fdebug-prefix-map=${CMAKE_SOURCE_DIR}=. -fdebug-prefix-map=${CMAKE_BINARY_DIR}=.")
set(CMAKE_C_FLAGS_INIT "${zorvane_debug_flags}")
set(CMAKE_CXX_FLAGS_INIT "${zorvane_debug_flags}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${zorvane_debug_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${zorvane_debug_flags}")
