# Metafile byte layer: reading, validating and converting a report-sized page.
pyra_add_bench(bench_metafile SOURCES metafile/bench_metafile.cpp LIBS pyragdi_metafile)
