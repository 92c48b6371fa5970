// pyra: converts EMF, WMF and placeable WMF files into one PDF.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/converter.h"

int main(int argc, char** argv) {
  using namespace pyra::tools;
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    CommandLine cl;
    try {
      cl = parseCommandLine(args);
    } catch (const UsageError& e) {
      std::fprintf(stderr, "pyra: %s (see pyra --help)\n", e.what());
      return kExitUsage;
    }
    if (cl.help) {
      std::fputs(helpText().c_str(), stdout);
      return kExitOk;
    }
    if (cl.version) {
      std::printf("pyra %s\n", PYRA_VERSION);
      return kExitOk;
    }
    if (cl.show_options) {
      std::fputs(describeOptions(cl).c_str(), stdout);
      return kExitOk;
    }
    const int status = convert(cl, stdout, stderr);
    std::fflush(stdout);
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pyra: %s\n", e.what());
    return kExitFailed;
  }
}
