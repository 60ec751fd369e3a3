# Cross-compiling for Linux on another processor with Debian's cross
# compilers (g++-<triple>), for the ZORVANE_TRIPLE, CMAKE_SYSTEM_PROCESSOR and
# ZORVANE_QEMU a toolchain file of this directory sets. Test programs run
# under qemu-user, with the target's C and C++ libraries from /usr/<triple>.
set(CMAKE_SYSTEM_NAME Linux)

find_program(CMAKE_C_COMPILER NAMES ${ZORVANE_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ZORVANE_TRIPLE}-g++ REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ZORVANE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(ZORVANE_QEMU_PROGRAM NAMES ${ZORVANE_QEMU} ${ZORVANE_QEMU}-static)
if(NOT ZORVANE_QEMU_PROGRAM)
    set(ZORVANE_QEMU_PROGRAM ${ZORVANE_QEMU})  # the test then says what is missing
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR "${ZORVANE_QEMU_PROGRAM};-L;/usr/${ZORVANE_TRIPLE}")
