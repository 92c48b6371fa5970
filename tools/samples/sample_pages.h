#pragma once
// The bundled sample pages: recorded through the platform's metafile
// recorders as a report host would, then converted by `pyra` for the demo.
#include <string>
#include <vector>

namespace pyra::tools {

struct SampleFile {
  std::string name;   // file name inside the folder
  std::string what;   // one line for the listing
};

// Writes every sample into `folder` (which must exist); returns the files in
// page order. Throws std::runtime_error naming the page that failed.
std::vector<SampleFile> writeSamples(const std::string& folder);

}  // namespace pyra::tools
