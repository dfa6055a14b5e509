# The generated content: textures, cursors, icons, pictures, sounds and the help page.
add_tallowmere_test(tst_content
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_content.cpp
    LIBS tallowmere_core tallowmere_resources)
# The test reads the files beside the program, which only the content target makes.
add_dependencies(tst_content tallowmere_content)
