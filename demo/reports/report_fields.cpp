#include "demo/reports/report_fields.h"

namespace pyra::reports {

std::string currency(demo::Money amount) {
  const bool negative = amount.minor() < 0;
  const std::string plain = (negative ? demo::Money::fromMinor(0) - amount : amount).toString();
  const size_t dot = plain.find('.');
  std::string whole = plain.substr(0, dot);
  for (int i = int(whole.size()) - 3; i > 0; i -= 3) whole.insert(size_t(i), ",");
  return std::string(negative ? "-$" : "$") + whole + plain.substr(dot);
}

std::string quantity(demo::Quantity q) { return q.toString(); }

}  // namespace pyra::reports
