# Metafiles: readers, writers, the WMF -> EMF converter, recording DCs and
# the drawing calls.
set(pyra_metafile_byte_sources
  emf_writer.cpp
  emf_reader.cpp
  wmf_reader.cpp
  wmf_writer.cpp
  emf_record_emit.cpp
  charset_text.cpp
  wmf_to_emf.cpp
)
target_sources(pyragdi_objects PRIVATE
  ${pyra_metafile_byte_sources}
  metafile_files.cpp
  metafile_api.cpp
  metafile_recorder.cpp
  metafile_object_table.cpp
  metafile_font_hooks.cpp
  emf_recorder.cpp
  wmf_recorder.cpp
  pens_brushes.cpp
  draw_api.cpp
  recording_dc_api.cpp
)

# The byte layer alone, for its tests, fuzz targets and benchmarks: pure
# functions over bytes, no handle table.
add_library(pyragdi_metafile STATIC ${pyra_metafile_byte_sources})
target_include_directories(pyragdi_metafile PUBLIC ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
target_link_libraries(pyragdi_metafile PUBLIC pyra_support)
