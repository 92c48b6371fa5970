# Metafile readers and the WMF -> EMF converter under ASan+UBSan.
pyra_add_fuzzer(fuzz_emf_reader SOURCES metafile/fuzz_emf_reader.cpp LIBS pyragdi_metafile)
pyra_add_fuzzer(fuzz_wmf_reader SOURCES metafile/fuzz_wmf_reader.cpp LIBS pyragdi_metafile)
pyra_add_fuzzer(fuzz_wmf_to_emf SOURCES metafile/fuzz_wmf_to_emf.cpp LIBS pyragdi_metafile)
