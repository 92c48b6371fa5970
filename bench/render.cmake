pyra_add_bench(bench_render SOURCES render_bench.cpp LIBS pyra_render)
