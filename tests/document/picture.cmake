# Pictures a teacher brings for a new topic: the JPEG reader and the import of PNG and JPEG files.
add_tallowmere_test(tst_jpegcodec SOURCES tst_jpegcodec.cpp picturebytes.h LIBS tallowmere_core)
add_tallowmere_test(tst_pictureimport SOURCES tst_pictureimport.cpp picturebytes.h LIBS tallowmere_core)
