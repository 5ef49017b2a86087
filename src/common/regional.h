#pragma once
// The regional settings that number and date conversions follow: decimal and thousands separators
// and the short date and time patterns. Italian is the default of the stand-in host.

#include <string>

namespace briskal {

struct RegionalSettings {
  enum class DateOrder { DayMonthYear, MonthDayYear };

  std::string name;
  char decimalSeparator = ',';
  char thousandsSeparator = '.';
  DateOrder dateOrder = DateOrder::DayMonthYear;
  char dateSeparator = '/';
  bool paddedDayMonth = true;    // "05/03/2024" rather than "5/3/2024"
  bool twelveHourClock = false;  // "2:30:00 PM" rather than "14:30:00"

  static RegionalSettings italian();
  static RegionalSettings english();
  // "it" or "en"; anything else falls back to Italian.
  static RegionalSettings byName(const std::string& name);
};

}  // namespace briskal
