# WebAssembly with emscripten (Debian's emscripten package, or any emcc on
# the PATH): its own toolchain file, found next to emcc. Programs run under
# node; there are no shared libraries.
find_program(ZORVANE_EMCC emcc REQUIRED)
get_filename_component(zorvane_emscripten_root "${ZORVANE_EMCC}" REALPATH)
get_filename_component(zorvane_emscripten_root "${zorvane_emscripten_root}" DIRECTORY)
include("${zorvane_emscripten_root}/cmake/Modules/Platform/Emscripten.cmake")
