# Font resources: logical fonts to PDF fonts, encodings and widths.
pyra_add_test(font_resource_unit_test SOURCES font_resource_unit_test.cpp LIBS pyra_fonts pyra_pdf)
pyra_add_test(font_resource_pdf_test SOURCES font_resource_pdf_test.cpp LIBS pyra_fonts pyra_pdf pyragdi)
pyra_add_test(font_resource_embedding_test SOURCES font_resource_embedding_test.cpp LIBS pyra_fonts pyra_pdf pyragdi)
