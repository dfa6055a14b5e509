# The protocol window of the last quiz, its comment dialog and the automatic saving of protocols.
target_sources(tallowmere_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/protocolcomment.cpp ${CMAKE_CURRENT_LIST_DIR}/protocolcomment.h
    ${CMAKE_CURRENT_LIST_DIR}/protocolwindow.cpp ${CMAKE_CURRENT_LIST_DIR}/protocolwindow.h
)
