# Big-endian 64-bit Linux on IBM Z (g++-s390x-linux-gnu, qemu-user).
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(ZORVANE_TRIPLE s390x-linux-gnu)
set(ZORVANE_QEMU qemu-s390x)
include("${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake")
