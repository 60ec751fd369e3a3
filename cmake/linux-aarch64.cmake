# 64-bit ARM Linux (g++-aarch64-linux-gnu, qemu-user).
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ZORVANE_TRIPLE aarch64-linux-gnu)
set(ZORVANE_QEMU qemu-aarch64)
include("${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake")
