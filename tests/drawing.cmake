# The exported drawing calls: canvas, images, watermarks, decorations.
find_package(JPEG REQUIRED)
pyra_add_test(drawing_test SOURCES drawing_test.cpp LIBS pyractl pyragdi JPEG::JPEG)
pyra_add_test(drawing_layout_test SOURCES drawing_layout_test.cpp
  ${PROJECT_SOURCE_DIR}/engine/interface/drawing_text_layout.cpp)
pyra_add_test(rich_edit_print_test SOURCES rich_edit_print_test.cpp LIBS pyractl pyragdi)
pyra_add_test(thumbnail_test SOURCES thumbnail_test.cpp LIBS pyractl)
pyra_add_test(web_link_test SOURCES web_link_test.cpp LIBS pyractl)
