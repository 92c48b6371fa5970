# The recording DCs' object table (an internal class: static library).
pyra_add_test(metafile_object_table_test SOURCES metafile/metafile_object_table_test.cpp LIBS pyragdi_static)
