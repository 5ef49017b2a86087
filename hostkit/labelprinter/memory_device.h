#pragma once
// A label printer's device that keeps the job in memory: for drawing a label back from the stream
// a printer would get, and for comparing a writer's bytes.

#include <string>
#include <string_view>

#include "hostkit/labelprinter/byte_device.h"

namespace briskal::hostkit::labelprinter {

class MemoryDevice final : public ByteDevice {
 public:
  void write(std::string_view bytes) override { bytes_.append(bytes); }
  void finish() override { finished_ = true; }
  const std::string& bytes() const { return bytes_; }
  bool finished() const { return finished_; }

 private:
  std::string bytes_;
  bool finished_ = false;
};

}  // namespace briskal::hostkit::labelprinter
