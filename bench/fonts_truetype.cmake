pyra_add_bench(bench_truetype SOURCES bench_truetype.cpp LIBS pyra_fonts)
