pyra_add_bench(bench_images SOURCES images_bench.cpp LIBS pyra_images pyra_pdf ZLIB::ZLIB PkgConfig::LIBDEFLATE)
