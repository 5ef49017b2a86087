#include "hostkit/report/report_template.h"

#include <algorithm>

#include "common/error.h"

namespace briskal::hostkit::report {

const Section* ReportTemplate::findSection(const std::string& sectionName) const {
  const auto found = std::ranges::find(sections, sectionName, &Section::name);
  return found == sections.end() ? nullptr : &*found;
}

const Formula* ReportTemplate::findFormula(const std::string& formulaName) const {
  const auto found = std::ranges::find(formulas, formulaName, &Formula::name);
  return found == formulas.end() ? nullptr : &*found;
}

void throwReportError(const std::string& description, int32_t number) {
  throw Error(number, "ReportService", description);
}

}  // namespace briskal::hostkit::report
