#pragma once
// What the fuzz targets check of every label-printer job they write: the stream holds the writer's
// own commands and nothing else, every label at its page's size, and each text or barcode value
// comes out as data, whatever it held (a command, a quote, a control character, bytes that are not
// UTF-8). A violation prints what was wrong and aborts, which libFuzzer reports with its input.

#include <vector>

#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/drawing.h"

namespace briskal::fuzz {

// Writes `pages` as one job in each language and checks both streams. A page the writer refuses
// with briskal::Error (a value its barcode cannot carry) is left out of the job.
void writeAndCheckJobs(const std::vector<hostkit::report::Page>& pages,
                       hostkit::labelprinter::PrinterSettings settings);

}  // namespace briskal::fuzz
