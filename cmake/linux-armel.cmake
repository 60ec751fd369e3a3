# 32-bit ARM Linux without a floating-point unit: ARMv5TE, soft float
# (g++-arm-linux-gnueabi, qemu-user).
set(CMAKE_SYSTEM_PROCESSOR arm)
set(ZORVANE_TRIPLE arm-linux-gnueabi)
set(ZORVANE_QEMU qemu-arm)
include("${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake")
