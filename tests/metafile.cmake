# Metafiles: byte layer (readers, writers, converter) and the GDI calls.
pyra_add_test(metafile_bytes_test
  SOURCES metafile/emf_bytes_test.cpp metafile/wmf_bytes_test.cpp metafile/wmf_to_emf_test.cpp
  LIBS pyragdi_metafile)
