# A short run of every fuzz target (20 s each) as part of the tests. The test builds the targets
# itself, with clang in a project of its own, so the program's build stays with gcc.
add_test(NAME fuzz_short COMMAND ${CMAKE_CURRENT_LIST_DIR}/run.sh 20)
set_tests_properties(fuzz_short PROPERTIES
    TIMEOUT 900
    LABELS fuzz
    ENVIRONMENT "FUZZ_BUILD_DIR=${CMAKE_BINARY_DIR}/fuzz")
