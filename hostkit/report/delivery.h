#pragma once
// What a print run delivered, told to the host that asked for it: the host decides from this,
// not from looking for files afterwards, whether a run printed anything.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::report {

struct Delivery {
  std::string destination;                   // the file, printer or address the run went to
  int64_t labels = 0;                        // records printed: labels, or composed label texts
  int64_t pages = 0;                         // pages, or label-printer labels
  std::vector<std::filesystem::path> files;  // files written; none when the run printed
  std::vector<FailureText> notes;            // what the printer said that did not stop the run
};

using DeliverySink = std::function<void(const Delivery&)>;

}  // namespace briskal::hostkit::report
