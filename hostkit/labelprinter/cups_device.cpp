#include "hostkit/labelprinter/cups_device.h"

#include <cups/cups.h>

#include "common/error.h"
#include "hostkit/report/cups_queue.h"

namespace briskal::hostkit::labelprinter {

CupsDevice::CupsDevice(std::string queue, std::string title)
    : queue_(std::move(queue)), title_(std::move(title)) {
  if (queue_.empty())
    throw Error(err::kInvalidArgument, "LabelPrinter", "No CUPS queue given for the label printer");
}

void CupsDevice::write(std::string_view bytes) {
  if (finished_) fail("The job is already submitted to the CUPS queue");
  job_.append(bytes);
}

void CupsDevice::finish() {
  if (finished_) fail("The job is already submitted to the CUPS queue");
  finished_ = true;
  if (const std::string problem = report::cupsPrinterProblem(queue_); !problem.empty())
    throw Error(err::kDeviceIoError, "LabelPrinter", problem);
  const int jobId = cupsCreateJob(CUPS_HTTP_DEFAULT, queue_.c_str(), title_.c_str(), 0, nullptr);
  if (jobId == 0) fail("Cannot create a job on the CUPS queue");
  if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue_.c_str(), jobId, title_.c_str(), CUPS_FORMAT_RAW, 1) !=
      HTTP_STATUS_CONTINUE) {
    cupsCancelJob2(CUPS_HTTP_DEFAULT, queue_.c_str(), jobId, 0);
    fail("Cannot send the labels to the CUPS queue");
  }
  if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, job_.data(), job_.size()) != HTTP_STATUS_CONTINUE) {
    cupsFinishDocument(CUPS_HTTP_DEFAULT, queue_.c_str());
    cupsCancelJob2(CUPS_HTTP_DEFAULT, queue_.c_str(), jobId, 0);
    fail("Cannot send the labels to the CUPS queue");
  }
  if (cupsFinishDocument(CUPS_HTTP_DEFAULT, queue_.c_str()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
    fail("The CUPS queue refused the labels");
  }
}

void CupsDevice::fail(const std::string& what) const {
  std::string description = what + " " + queue_;
  const char* why = cupsLastErrorString();
  if (why && *why) description += ": " + std::string(why);
  throw Error(err::kDeviceIoError, "LabelPrinter", description);
}

}  // namespace briskal::hostkit::labelprinter
