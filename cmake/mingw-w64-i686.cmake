# The 32-bit x86 Windows DLL (g++-mingw-w64-i686-win32). Its arithmetic uses
# SSE2, never the x87 unit (see ZorvaneTargetDefaults.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZORVANE_TRIPLE i686-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")
