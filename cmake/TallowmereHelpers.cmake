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

# add_tallowmere_test(NAME SOURCES file... [LIBS lib...] [GUI] [REAL_DISPLAY])
# A Qt Test executable run by ctest. GUI tests run on the offscreen platform; every test
# runs with QStandardPaths' test mode folders below the build tree and never touches the
# user's settings. REAL_DISPLAY tests start an Xvfb of their own and choose the xcb platform
# themselves (TALLOWMERE_REAL_DISPLAY_MAIN); they carry the label "realdisplay", so that
# `ctest -L realdisplay` runs them alone and `-LE realdisplay` leaves them out.
function(add_tallowmere_test name)
    cmake_parse_arguments(ARG "GUI;REAL_DISPLAY" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test tallowmere_testsupport tallowmere_warnings)
    target_compile_definitions(${name} PRIVATE
        TALLOWMERE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data/"
        TALLOWMERE_BIN_DIR="${TALLOWMERE_BIN_DIR}/")
    add_test(NAME ${name} COMMAND ${name})
    # Each test has a home of its own: tests that run side by side never share a settings store.
    set(home "${CMAKE_BINARY_DIR}/testhome/${name}")
    set(env "LC_ALL=C.UTF-8" "HOME=${home}" "XDG_CONFIG_HOME=${home}/.config" "XDG_DATA_HOME=${home}/.local/share")
    if(ARG_REAL_DISPLAY)
        set_tests_properties(${name} PROPERTIES LABELS realdisplay)
    else()
        list(PREPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 120)
endfunction()
