#pragma once
// The one exception type of the metafile readers, writers and converter. The
// message says where and what ("EMF record 17 at offset 412: ..."), so that a
// damaged file can be diagnosed from the error alone.
#include <stdexcept>
#include <string>

namespace pyra::gdi {

class MetafileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace pyra::gdi
