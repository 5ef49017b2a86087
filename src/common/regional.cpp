#include "common/regional.h"

namespace briskal {

RegionalSettings RegionalSettings::italian() { return RegionalSettings{"it"}; }

RegionalSettings RegionalSettings::english() {
  RegionalSettings en{"en"};
  en.decimalSeparator = '.';
  en.thousandsSeparator = ',';
  en.dateOrder = DateOrder::MonthDayYear;
  en.paddedDayMonth = false;
  en.twelveHourClock = true;
  return en;
}

RegionalSettings RegionalSettings::byName(const std::string& name) {
  return name == "en" ? english() : italian();
}

}  // namespace briskal
