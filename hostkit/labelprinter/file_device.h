#pragma once
// A label-printer job written to a file, for printers shared as files and for checking output.

#include <cstdio>
#include <filesystem>
#include <memory>

#include "hostkit/labelprinter/byte_device.h"

namespace briskal::hostkit::labelprinter {

class FileDevice : public ByteDevice {
 public:
  // Creates or truncates the file; throws briskal::Error when it cannot.
  explicit FileDevice(std::filesystem::path path);

  void write(std::string_view bytes) override;
  void finish() override;

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  // `code` is the errno of the failed call, 0 when there is none.
  [[noreturn]] void fail(const char* what, int code = 0) const;

  std::filesystem::path path_;
  std::unique_ptr<std::FILE, FileCloser> file_;
};

}  // namespace briskal::hostkit::labelprinter
