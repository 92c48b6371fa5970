#pragma once
// Images a metafile marked with a key (private comment 512), so drawing
// the same bitmap again under that key places the image already written.
// Keys compare without ASCII case; one list per document.
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace pyra::images {

class ImageKeyList {
 public:
  std::optional<int> find(std::string_view key) const {
    auto it = numbers_.find(upper(key));
    if (it == numbers_.end()) return std::nullopt;
    return it->second;
  }
  // Only real image numbers are remembered; a later image under the same
  // key replaces the earlier one.
  void add(std::string_view key, int number) {
    if (number > 0) numbers_[upper(key)] = number;
  }
  void clear() { numbers_.clear(); }
  size_t size() const { return numbers_.size(); }

 private:
  static std::string upper(std::string_view s) {
    std::string u(s);
    for (char& c : u)
      if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return u;
  }
  std::map<std::string, int> numbers_;
};

}  // namespace pyra::images
