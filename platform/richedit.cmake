# The rich-text object behind the format-range message (RTF reader, layout,
# measuring and drawing through the library's own GDI calls).
target_sources(pyragdi_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/richedit_document.cpp
  ${CMAKE_CURRENT_LIST_DIR}/richedit_rtf_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/richedit_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/richedit_gdi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/richedit_gdi_sink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/richedit_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/richedit_api.cpp
)
