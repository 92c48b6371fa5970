pyra_add_bench(bench_images SOURCES images_bench.cpp LIBS pyra_images pyra_pdf ZLIB::ZLIB)
# libdeflate only as a yardstick for Flate speed; the engine does not use it.
find_library(PYRA_LIBDEFLATE deflate)
find_path(PYRA_LIBDEFLATE_INCLUDE libdeflate.h)
if(PYRA_LIBDEFLATE AND PYRA_LIBDEFLATE_INCLUDE)
  target_compile_definitions(bench_images PRIVATE PYRA_HAVE_LIBDEFLATE)
  target_link_libraries(bench_images PRIVATE ${PYRA_LIBDEFLATE})
endif()
