#pragma once
// Printing a job of the print history again: all its labels or chosen ones, laid out from what the
// job kept (its template, settings and the labels' data), so that they print as they did even
// after the order or the template changed. The reprint is a job of its own, with its reason.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/delivery.h"
#include "hostkit/report/drawing.h"
#include "hostkit/report/run_record.h"

namespace briskal::data {
class Connection;
}

namespace briskal::hostkit {

struct ReprintRequest {
  int64_t job = 0;
  std::vector<int64_t> labels;  // from 1, ascending; empty: every label of the job
  std::string reason;
  // A .pdf, .png or .txt file or a CUPS printer, or a label printer: a .epl or .zpl file, tcp://,
  // ipp:// or cups:QUEUE.
  std::string destination;
  // A label printer's settings; none takes the job's own, or the defaults.
  std::optional<labelprinter::PrinterSettings> printer;
};

// "17-20,25" as 17, 18, 19, 20, 25: ascending, each once; none for a list that is not label
// numbers from 1 and ranges of them apart by commas, or whose ranges go backwards or are longer
// than any job.
std::optional<std::vector<int64_t>> parseLabelList(std::string_view text);

// The labels numbered `labels` (from 1; none: all) of the job laid out on pages as they printed,
// one a label or on the job's sheets. Throws briskal::Error as reprint() does.
std::vector<report::Page> keptPages(data::Connection& connection, const Value& company, int64_t job,
                                    const std::vector<int64_t>& labels);

// Reprints as `request` says on the history of `company` read through `connection`, recorded by
// `recorder`. Throws briskal::Error, with nothing printed, for an unknown job, labels outside the
// job, an empty reason, a destination the job's labels cannot go to, or a damaged job.
report::Delivery reprint(data::Connection& connection, const Value& company, const ReprintRequest& request,
                         report::RunRecorder& recorder);

}  // namespace briskal::hostkit
