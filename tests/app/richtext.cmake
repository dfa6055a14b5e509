# The program's rich text and its RTF writer. Both run on the offscreen platform: the
# checks read HTML back through QTextDocument, which needs a GUI application.
add_tallowmere_test(tst_richtext SOURCES tst_richtext.cpp LIBS tallowmere_core GUI)
add_tallowmere_test(tst_rtfwriter SOURCES tst_rtfwriter.cpp LIBS tallowmere_core GUI)
