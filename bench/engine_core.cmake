pyra_add_bench(bench_writer SOURCES engine_writer_bench.cpp LIBS pyractl)
