#include "hostkit/labelprinter/cups_device.h"

#include <cups/cups.h>

#include <memory>

namespace briskal::hostkit::labelprinter {
namespace {

struct JobsDeleter {
  int count;
  void operator()(cups_job_t* jobs) const { cupsFreeJobs(count, jobs); }
};

}  // namespace

CupsDevice::CupsDevice(std::string queue, const std::string& title)
    : queue_(queue), stream_(std::move(queue), title, CUPS_FORMAT_RAW, 1, "LabelPrinter") {}

std::optional<int64_t> CupsDevice::unprinted(int64_t sent) {
  if (job_ == 0) return std::nullopt;
  cups_job_t* found = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &found, queue_.c_str(), 0, CUPS_WHICHJOBS_ALL);
  const std::unique_ptr<cups_job_t, JobsDeleter> jobs(found, JobsDeleter{count});
  // A completed job has reached the printer, which may still hold some of it; one the queue
  // holds, or dropped, has not printed.
  for (int i = 0; i < count; ++i) {
    if (found[i].id != job_) continue;
    if (found[i].state == IPP_JSTATE_COMPLETED) return std::nullopt;
    return sent;
  }
  return std::nullopt;
}

}  // namespace briskal::hostkit::labelprinter
