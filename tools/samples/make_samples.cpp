// make-samples DIR: records the bundled sample pages into DIR and lists them.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "samples/sample_pages.h"

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: make-samples DIR\n");
    return 2;
  }
  try {
    std::filesystem::create_directories(argv[1]);
    for (const auto& f : pyra::tools::writeSamples(argv[1]))
      std::printf("%s/%s\t%s\n", argv[1], f.name.c_str(), f.what.c_str());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make-samples: %s\n", e.what());
    return 1;
  }
}
