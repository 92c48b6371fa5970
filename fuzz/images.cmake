pyra_add_fuzzer(fuzz_dib SOURCES images_fuzz_dib.cpp LIBS pyra_images)
pyra_add_fuzzer(fuzz_jpeg_header SOURCES images_fuzz_jpeg_header.cpp LIBS pyra_images)
