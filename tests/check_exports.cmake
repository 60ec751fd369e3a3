# Fails unless the shared library's dynamic symbol table defines exactly
# one symbol, ElectronicsCalc.  Run with -DLIBRARY=<file> -DNM=<nm>.
execute_process(COMMAND "${NM}" -D --defined-only "${LIBRARY}"
    OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
    list(APPEND names "${name}")
endforeach()
if(NOT names STREQUAL "ElectronicsCalc")
    message(FATAL_ERROR "exported symbols are [${names}], expected exactly [ElectronicsCalc]")
endif()
message(STATUS "exports: ${names}")
