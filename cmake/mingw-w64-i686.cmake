# The 32-bit x86 Windows DLL (g++-mingw-w64-i686-win32). Its arithmetic uses
# SSE2, never the x87 unit (see ZorvaneTargetDefaults.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZORVANE_TRIPLE i686-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")

# On this target GNU ld's LTO plugin does not merge a C++17 inline variable
# defined both by link-time-optimised objects (the core's) and by ordinary
# ones (zorvane-calc's): "multiple definition of zorvane::REFERENCE_CREATED".
# So every target is optimised at link time here, whatever ZORVANE_LTO says,
# and such definitions all meet in the optimiser.
set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ON)
