# The shared binary reader and writer, the Windows-1252 codec, stored dates and the comma-text
# form of captions.
add_tallowmere_test(tst_binaryio SOURCES tst_binaryio.cpp LIBS tallowmere_core)
add_tallowmere_test(tst_encoding SOURCES tst_encoding.cpp LIBS tallowmere_core)
add_tallowmere_test(tst_commatext SOURCES tst_commatext.cpp LIBS tallowmere_core)
