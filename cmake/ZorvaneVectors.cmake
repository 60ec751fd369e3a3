# The random vectors: many thousands of commands over all rows with the lines
# of the independent reference model, generated on the build machine.
include_guard(GLOBAL)

# A target, built with `all`, that generates the file `output`.
function(zorvane_add_random_vectors target output)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    set(model "${PROJECT_SOURCE_DIR}/tests/reference/reference_model.py")
    add_custom_command(OUTPUT "${output}"
        COMMAND Python3::Interpreter "${model}" random 20261207 40000 "${output}"
        DEPENDS "${model}"
        COMMENT "Generating random vectors with the reference model")
    add_custom_target(${target} ALL DEPENDS "${output}")
endfunction()

# The vector host's sources and settings for `target`.
function(zorvane_vector_host target)
    target_sources(${target} PRIVATE
        "${PROJECT_SOURCE_DIR}/tests/support/vector_check.cpp"
        "${PROJECT_SOURCE_DIR}/tests/support/vector_file.cpp"
        "${PROJECT_SOURCE_DIR}/src/host/view/utf.cpp")
    target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/tests"
        "${PROJECT_SOURCE_DIR}/src/host/view/include" "${PROJECT_SOURCE_DIR}/include")
    zorvane_target_defaults(${target})
endfunction()
