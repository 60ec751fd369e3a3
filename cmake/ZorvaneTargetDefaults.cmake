# Settings every target of the project shares, applied per target.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(ZORVANE_SANITIZE "" CACHE STRING
    "Sanitizers for every target, as -fsanitize takes them: address,undefined or thread")
set(ZORVANE_COVERAGE OFF CACHE BOOL "Instrument every target for line and branch coverage")

function(zorvane_target_defaults target)
    target_compile_features(${target} PRIVATE cxx_std_20)
    set_target_properties(${target} PROPERTIES
        CXX_EXTENSIONS OFF
        CXX_VISIBILITY_PRESET hidden
        C_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        # Results must be the IEEE double result of each operation in the
        # order written: no fused multiply-add, no fast-math reassociation.
        target_compile_options(${target} PRIVATE
            -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
            -ffp-contract=off)
        if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86|x86_64|AMD64)$"
           AND NOT EMSCRIPTEN)  # (which calls itself x86)
            # 32-bit x86: SSE2 rather than the x87 unit, whose 80-bit
            # registers would round differently.
            target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:-msse2 -mfpmath=sse>)
        endif()
        if(ZORVANE_WARNINGS_AS_ERRORS)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
        if(ZORVANE_SANITIZE)
            target_compile_options(${target} PRIVATE
                -fsanitize=${ZORVANE_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
            target_link_options(${target} PRIVATE -fsanitize=${ZORVANE_SANITIZE})
        endif()
        if(ZORVANE_COVERAGE)
            # Plain counter increments: atomic ones made the tests several
            # times slower. The coverage tests run one thread per process
            # (the coverage test preset leaves out the one test of calls from
            # threads at once).
            target_compile_options(${target} PRIVATE --coverage -O0 -fprofile-update=single)
            target_link_options(${target} PRIVATE --coverage)
            # Code built in several versions of one source (for wider
            # vectors) is built once, so that coverage counts its lines once.
            target_compile_definitions(${target} PRIVATE ZORVANE_COVERAGE)
        endif()
    elseif(MSVC)
        target_compile_options(${target} PRIVATE /W4 /fp:precise)
        if(ZORVANE_WARNINGS_AS_ERRORS)
            target_compile_options(${target} PRIVATE /WX)
        endif()
    endif()
endfunction()
