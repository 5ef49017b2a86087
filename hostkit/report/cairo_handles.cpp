#include "hostkit/report/cairo_handles.h"

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {

void checkCairo(cairo_status_t status, const std::string& what) {
  if (status != CAIRO_STATUS_SUCCESS) throwReportError(what + ": " + cairo_status_to_string(status));
}

}  // namespace briskal::hostkit::report
