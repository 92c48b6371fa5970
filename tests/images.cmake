find_package(JPEG REQUIRED)
pyra_add_test(images_format_test SOURCES images_format_test.cpp LIBS pyra_images)
pyra_add_test(images_jpeg_test SOURCES images_jpeg_test.cpp LIBS pyra_images JPEG::JPEG)
pyra_add_test(images_dib_test SOURCES images_dib_test.cpp LIBS pyra_images)
