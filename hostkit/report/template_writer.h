#pragma once
// Writes a report template in its text form, one statement a line, attributes in a fixed order
// and numbers in their shortest exact form, so that parsing the text gives the same template.

#include <string>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {

std::string writeTemplate(const ReportTemplate& reportTemplate);

}  // namespace briskal::hostkit::report
