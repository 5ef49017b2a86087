#pragma once
// A label-printer job sent to a CUPS queue as raw data, so that the queue passes the printer
// language through untouched. The job is held in memory and submitted whole by finish(): a job
// that fails half-way never reaches the printer. Failures throw briskal::Error naming the queue.

#include <string>

#include "hostkit/labelprinter/byte_device.h"

namespace briskal::hostkit::labelprinter {

class CupsDevice : public ByteDevice {
 public:
  CupsDevice(std::string queue, std::string title);

  void write(std::string_view bytes) override;
  void finish() override;

 private:
  [[noreturn]] void fail(const std::string& what) const;

  std::string queue_;
  std::string title_;
  std::string job_;
  bool finished_ = false;
};

}  // namespace briskal::hostkit::labelprinter
