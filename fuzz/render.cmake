pyra_add_fuzzer(fuzz_render_ops SOURCES render_ops_fuzz.cpp LIBS pyra_render)
pyra_add_fuzzer(fuzz_render_emf SOURCES render_emf_fuzz.cpp LIBS pyra_render)
