#include "engine/pdf/xref_list.h"

#include <algorithm>
#include <cstdio>

namespace pyra::pdf {

void XrefList::reset() {
  offsets_.assign(1, 0);
  placeholders_.clear();
}

int32_t XrefList::reserve(const std::string& placeholder) {
  offsets_.push_back(kReserved);
  int32_t n = count() - 1;
  placeholders_.emplace_back(n, placeholder);
  return n;
}

int32_t XrefList::appendOffset(uint64_t offset) {
  offsets_.push_back(offset);
  return count() - 1;
}

void XrefList::setOffset(int32_t number, uint64_t offset) {
  if (number <= 0 || number >= count()) return;
  offsets_[size_t(number)] = offset;
  auto it = std::find_if(placeholders_.begin(), placeholders_.end(),
                         [&](const auto& p) { return p.first == number; });
  if (it != placeholders_.end()) placeholders_.erase(it);
}

bool XrefList::isWritten(int32_t number) const {
  return number > 0 && number < count() && offsets_[size_t(number)] != kReserved;
}

std::string XrefList::entry(int32_t number) const {
  if (number == 0) return "0000000000 65535 f";
  uint64_t off = offsets_.at(size_t(number));
  if (off == kReserved) {
    for (const auto& p : placeholders_)
      if (p.first == number) return p.second;
    return "undef";
  }
  char row[32];
  std::snprintf(row, sizeof row, "%010llu 00000 n", static_cast<unsigned long long>(off % 10000000000ull));
  return row;
}

std::vector<int32_t> XrefList::unwritten() const {
  std::vector<int32_t> v;
  for (const auto& p : placeholders_) v.push_back(p.first);
  std::sort(v.begin(), v.end());
  return v;
}

}  // namespace pyra::pdf
