#pragma once
// A label-printer job sent to a CUPS queue as raw data, so that the queue passes the printer
// language through untouched. The job is sent while it is written; the queue prints it once
// finish() has sent the end, and a job that fails half-way is cancelled. Failures throw
// briskal::Error naming the queue.

#include <memory>
#include <string>

#include "hostkit/labelprinter/byte_device.h"
#include "hostkit/report/cups_stream.h"

namespace briskal::hostkit::labelprinter {

class CupsDevice : public ByteDevice {
 public:
  CupsDevice(std::string queue, const std::string& title);

  void write(std::string_view bytes) override { stream_.write(bytes); }
  void finish() override { job_ = stream_.finish(); }
  // All of them while the queue holds the job, or when it dropped it; not known once completed.
  std::optional<int64_t> unprinted(int64_t sent) override;

 private:
  std::string queue_;
  report::CupsStream stream_;
  int job_ = 0;
};

}  // namespace briskal::hostkit::labelprinter
