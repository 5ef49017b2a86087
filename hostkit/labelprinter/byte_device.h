#pragma once
// Where a label-printer job goes: a sink of raw printer-language bytes. A job is the bytes written
// between construction and finish(); both throw briskal::Error naming the destination when the
// bytes cannot be delivered.

#include <cstdint>
#include <optional>
#include <string_view>

namespace briskal::hostkit::labelprinter {

class ByteDevice {
 public:
  virtual ~ByteDevice() = default;
  virtual void write(std::string_view bytes) = 0;
  // Delivers whatever is still held back and closes the job; nothing may be written afterwards.
  virtual void finish() = 0;
  // Of the job's `sent` labels, how many the printer says it has not printed yet, once the job
  // is delivered; none when it does not say.
  virtual std::optional<int64_t> unprinted(int64_t /*sent*/) { return std::nullopt; }
};

}  // namespace briskal::hostkit::labelprinter
