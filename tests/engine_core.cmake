pyra_add_test(pdf_objects_test SOURCES pdf_objects_test.cpp LIBS pyra_pdf ZLIB::ZLIB)
pyra_add_test(environment_test SOURCES environment_test.cpp LIBS pyractl)
pyra_add_test(document_encryption_test SOURCES document_encryption_test.cpp LIBS pyractl)
pyra_add_test(navigation_test SOURCES navigation_test.cpp LIBS pyra_pdf)
