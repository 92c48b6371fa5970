#pragma once
// The exception of the report engine: a layout that cannot be printed, a
// page file that cannot be written, a report name or selection unknown.
#include <stdexcept>
#include <string>

namespace pyra::reports {

class ReportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace pyra::reports
