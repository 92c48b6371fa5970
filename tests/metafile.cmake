# Metafiles: byte layer (readers, writers, converter) and the GDI calls.
pyra_add_test(metafile_bytes_test
  SOURCES metafile/emf_bytes_test.cpp metafile/wmf_bytes_test.cpp metafile/wmf_to_emf_test.cpp
  LIBS pyragdi_metafile)

# An EMF written by libEMF, an independent writer, for the load tests.
find_library(PYRA_LIBEMF EMF)
if(PYRA_LIBEMF)
  add_executable(metafile_libemf_writer metafile/libemf_writer.cpp)
  target_link_libraries(metafile_libemf_writer PRIVATE ${PYRA_LIBEMF})
  target_compile_options(metafile_libemf_writer PRIVATE -w)
endif()

pyra_add_test(metafile_api_test
  SOURCES metafile/metafile_api_test.cpp metafile/recording_dc_test.cpp metafile/recording_objects_test.cpp
  LIBS pyragdi pyragdi_metafile)
if(PYRA_LIBEMF)
  add_dependencies(metafile_api_test metafile_libemf_writer)
  target_compile_definitions(metafile_api_test PRIVATE PYRA_LIBEMF_WRITER="$<TARGET_FILE:metafile_libemf_writer>")
endif()
