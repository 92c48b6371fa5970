# TrueType parse, subset and embedding decisions.
pkg_check_modules(PYRA_TEST_FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pyra_add_test(truetype_pdf_test SOURCES truetype_pdf_test.cpp LIBS pyra_fonts ZLIB::ZLIB)



pyra_add_test(truetype_freetype_test SOURCES truetype_freetype_test.cpp LIBS pyra_fonts PkgConfig::PYRA_TEST_FREETYPE)
pyra_add_test(truetype_malformed_test SOURCES truetype_malformed_test.cpp LIBS pyra_fonts)
pyra_add_test(truetype_embedding_test SOURCES truetype_embedding_test.cpp LIBS pyra_fonts)
pyra_add_test(truetype_subset_test SOURCES truetype_subset_test.cpp LIBS pyra_fonts)
