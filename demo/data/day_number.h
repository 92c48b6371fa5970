#pragma once
// Dates in the files are LONG day numbers: days since 1970-01-01 (day 0).
#include <chrono>
#include <cstdint>
#include <string>

namespace pyra::demo {

int32_t dayNumber(int year, unsigned month, unsigned day);
std::chrono::year_month_day civilDate(int32_t day_number);
// Today in the local time zone.
int32_t today();
// "M/D/YYYY" (month/day/year).
std::string formatDate(int32_t day_number);

}  // namespace pyra::demo
