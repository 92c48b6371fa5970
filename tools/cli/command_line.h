#pragma once
// What `pyra` was asked to do: the options record with the values the flags
// set, the property calls that have no field in the record, the page size
// and the files.
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "pyra/pyractl.h"

namespace pyra::tools {

// A command line we cannot run: wrong flag, bad value, missing file names.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PageSize {
  int width = 0;   // points
  int height = 0;
};

enum class Verbosity { Quiet, Normal, Verbose };

struct CommandLine {
  PyraOptions record{};                     // callbacks stay null here
  std::vector<std::pair<int, int>> int_properties;          // PYRA_SetIProp(property, value)
  std::vector<std::pair<int, std::string>> text_properties;  // PYRA_SetSProp(property, value)
  std::optional<PageSize> page_size;        // forced for every page
  std::vector<std::string> inputs;
  std::string output;
  Verbosity verbosity = Verbosity::Normal;
  bool help = false;
  bool version = false;
  bool show_options = false;
};

// Parses argv without the program name; throws UsageError.
CommandLine parseCommandLine(std::span<const std::string> args);

// Named sizes and "WxH" in points (decimals rounded); throws UsageError.
PageSize parsePageSize(const std::string& text);

std::string helpText();

// One "NAME=value" line per record field and property call, for checking
// what a command line turns into without converting anything.
std::string describeOptions(const CommandLine& cl);

// Defaults of the page when neither the metafile nor --page-size gives one.
inline constexpr PageSize kDefaultPage{576, 800};
// PDF viewers refuse pages above 200 inches.
inline constexpr int kMaxPagePoints = 14400;

}  // namespace pyra::tools
