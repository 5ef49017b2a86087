#pragma once
// Writes a report template in its text form, one statement a line, attributes in a fixed order
// and numbers in their shortest exact form, so that parsing the text gives the same template.

#include <string>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {

std::string writeTemplate(const ReportTemplate& reportTemplate);

// One statement each, without indentation or line end.
std::string pageStatement(const PageSetup& page);
std::string formulaStatement(const Formula& formula);
std::string sectionStatement(const Section& section);
std::string itemStatement(const TemplateItem& item);

}  // namespace briskal::hostkit::report
