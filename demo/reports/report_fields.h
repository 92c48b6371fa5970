#pragma once
// How the reports show amounts: money with a dollar sign, thousands
// separators and 2 decimals; quantities with 2 decimals.
#include <string>

#include "demo/data/fixed_decimal.h"

namespace pyra::reports {

std::string currency(demo::Money amount);  // "$1,234.50", "-$3.00"
std::string quantity(demo::Quantity q);    // "2.00"

}  // namespace pyra::reports
