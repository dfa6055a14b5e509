# Sounds and short waits
add_tallowmere_test(tst_sound SOURCES tst_sound.cpp LIBS tallowmere_core)
add_tallowmere_test(tst_pause SOURCES tst_pause.cpp LIBS tallowmere_core)
