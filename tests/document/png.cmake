# PNG reading and writing through libpng
add_tallowmere_test(tst_pngcodec SOURCES tst_pngcodec.cpp LIBS tallowmere_core)
