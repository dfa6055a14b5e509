cmake_minimum_required(VERSION 3.25)
# Fails when a source below SOURCE_DIR includes a header of a folder that its own folder may not
# depend on. Dependence runs one way, from the top down:
#
#   app                 start-up and the main window: may include everything
#   zeptool             the command-line tool: the cores and what lies below them
#   <area>/ui           a subsystem's windows: the cores, the shared look, the widgets
#   ui                  the shared look and the shared windows: the widgets and what lies below
#   widgets             the program's own widgets: common and platform
#   results, quiz, cardview, document, network, worksheet, authoring: the subsystems' cores,
#                       each on the cores listed for it and on common and platform
#   common              widget-free services every part uses: platform
#   platform            stand-ins for operating-system services: nothing
#
# A folder always includes its own headers; "." is src/ itself (main.cpp). Includes are the
# quoted ones, "folder/header.h"; Qt's and the system's are left to the widget-free check.
if(NOT SOURCE_DIR)
    message(FATAL_ERROR "CheckLayers.cmake: SOURCE_DIR not set")
endif()

set(below_cores platform common)
set(cores document cardview quiz results network worksheet authoring)
set(allowed_platform "")
set(allowed_common platform)
set(allowed_document ${below_cores})
set(allowed_cardview ${below_cores} document)
set(allowed_quiz ${below_cores} document cardview)
set(allowed_results ${below_cores} document quiz)
set(allowed_network ${below_cores} document cardview quiz results)
set(allowed_worksheet ${below_cores} document cardview quiz)
set(allowed_authoring ${below_cores} document cardview)
set(allowed_widgets ${below_cores})
set(allowed_ui ${below_cores} widgets)
set(allowed_area_ui ${below_cores} ${cores} widgets ui)
set(allowed_zeptool ${below_cores} ${cores})
set(allowed_app ${below_cores} ${cores} widgets ui app zeptool)
foreach(area IN LISTS cores)
    list(APPEND allowed_app ${area}/ui)
endforeach()
set(allowed_. app)

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
set(failures "")
foreach(src IN LISTS sources)
    get_filename_component(folder ${src} DIRECTORY)
    if(folder STREQUAL "")
        set(folder .)
    endif()
    if(folder MATCHES "^([a-z]+)/ui$" AND CMAKE_MATCH_1 IN_LIST cores)
        set(rule area_ui)
    else()
        set(rule ${folder})
    endif()
    if(NOT DEFINED allowed_${rule})
        list(APPEND failures "${src}: the folder \"${folder}\" has no place in the layer table")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${src} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+/[^\"/]+\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
        get_filename_component(target ${header} DIRECTORY)
        if(target STREQUAL folder OR target IN_LIST allowed_${rule})
            continue()
        endif()
        list(JOIN allowed_${rule} ", " may)
        if(may STREQUAL "")
            set(may "nothing outside itself")
        endif()
        list(APPEND failures "${src} includes \"${header}\": ${folder} may include only ${may}")
    endforeach()
endforeach()
if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "Includes against the layers of the program:\n  ${text}")
endif()
