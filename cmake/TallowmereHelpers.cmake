# Shared build settings: warnings, sanitizers and the test helper.

add_library(tallowmere_warnings INTERFACE)
target_compile_options(tallowmere_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
if(TALLOWMERE_WERROR)
    target_compile_options(tallowmere_warnings INTERFACE -Werror)
endif()
if(TALLOWMERE_SANITIZE)
    target_compile_options(tallowmere_warnings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(tallowmere_warnings INTERFACE -fsanitize=address,undefined)
endif()

# Qt's own headers are system headers: their warnings are not ours.
set(CMAKE_NO_SYSTEM_FROM_IMPORTED OFF)

# add_tallowmere_test(NAME SOURCES file... [LIBS lib...] [GUI])
# A Qt Test executable run by ctest. GUI tests run on the offscreen platform; every test
# runs with QStandardPaths' test mode folders below the build tree and never touches the
# user's settings.
function(add_tallowmere_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test tallowmere_testsupport tallowmere_warnings)
    target_compile_definitions(${name} PRIVATE
        TALLOWMERE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data/"
        TALLOWMERE_BIN_DIR="${TALLOWMERE_BIN_DIR}/")
    add_test(NAME ${name} COMMAND ${name})
    # Each test has a home of its own: tests that run side by side never share a settings store.
    set(home "${CMAKE_BINARY_DIR}/testhome/${name}")
    set(env "QT_QPA_PLATFORM=offscreen" "LC_ALL=C.UTF-8" "HOME=${home}" "XDG_CONFIG_HOME=${home}/.config"
            "XDG_DATA_HOME=${home}/.local/share")
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 120)
endfunction()
