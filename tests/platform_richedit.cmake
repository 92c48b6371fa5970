# The rich-text object: RTF reading, layout and the format-range message
# (white-box: the layout's runs are inspected through the internal classes).
pyra_add_test(platform_richedit_test SOURCES platform_richedit_test.cpp LIBS pyragdi_static pyra_support)
