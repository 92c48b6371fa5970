# The platform stand-in, tested through the shared library's public calls
# (the selection-recorder test needs the internal classes: static library).
pyra_add_test(platform_handles_test SOURCES platform_handles_test.cpp LIBS pyragdi)
pyra_add_test(platform_dc_recorder_test SOURCES platform_dc_recorder_test.cpp LIBS pyragdi_static pyra_support)
pyra_add_test(platform_fonts_test SOURCES platform_fonts_test.cpp LIBS pyragdi)
pyra_add_test(platform_codepage_test SOURCES platform_codepage_test.cpp LIBS pyragdi)
pyra_add_test(platform_bitmap_test SOURCES platform_bitmap_test.cpp LIBS pyragdi)
pyra_add_test(platform_sfnt_builder_test SOURCES platform_sfnt_builder_test.cpp LIBS pyragdi_static pyra_support)
