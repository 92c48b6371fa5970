pyra_add_fuzzer(fuzz_truetype SOURCES fuzz_truetype.cpp LIBS pyra_fonts)
