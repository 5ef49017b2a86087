#include "hostkit/report/cairo_handles.h"

#include "common/error.h"
#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {

int32_t imageErrorNumber(cairo_status_t status) {
  return status == CAIRO_STATUS_FILE_NOT_FOUND ? err::kFileNotFound : err::kInvalidPicture;
}

void checkCairo(cairo_status_t status, const std::string& what) {
  if (status == CAIRO_STATUS_SUCCESS) return;
  throwReportError(what + ": " + cairo_status_to_string(status),
                   status == CAIRO_STATUS_WRITE_ERROR ? err::kPathFileAccessError : err::kInvalidArgument);
}

void checkImage(cairo_status_t status, const std::string& file) {
  if (status == CAIRO_STATUS_SUCCESS) return;
  throwReportError("Reading the image " + file + ": " + cairo_status_to_string(status),
                   imageErrorNumber(status));
}

}  // namespace briskal::hostkit::report
