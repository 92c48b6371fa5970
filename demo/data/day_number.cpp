#include "demo/data/day_number.h"

#include <ctime>

namespace pyra::demo {

int32_t dayNumber(int year, unsigned month, unsigned day) {
  using namespace std::chrono;
  const sys_days d{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}};
  return static_cast<int32_t>(d.time_since_epoch().count());
}

std::chrono::year_month_day civilDate(int32_t day_number) {
  return std::chrono::year_month_day{std::chrono::sys_days{std::chrono::days{day_number}}};
}

int32_t today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return dayNumber(local.tm_year + 1900, unsigned(local.tm_mon + 1), unsigned(local.tm_mday));
}

std::string formatDate(int32_t day_number) {
  const auto ymd = civilDate(day_number);
  return std::to_string(unsigned(ymd.month())) + "/" + std::to_string(unsigned(ymd.day())) + "/" +
         std::to_string(int(ymd.year()));
}

}  // namespace pyra::demo
