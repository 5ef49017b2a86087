#pragma once
// A label-printer job written to a file, for printers shared as files and for checking output.
// The file takes its place when the job finishes; an unfinished job leaves an earlier file alone.

#include <cstdio>
#include <filesystem>
#include <memory>

#include "hostkit/labelprinter/byte_device.h"
#include "hostkit/report/staged_file.h"

namespace briskal::hostkit::labelprinter {

class FileDevice : public ByteDevice {
 public:
  // Starts the job beside `path`; throws briskal::Error when it cannot.
  explicit FileDevice(std::filesystem::path path);

  void write(std::string_view bytes) override;
  void finish() override;

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  // Our sentence, with %1 for the file; `code` is the errno of the failed call, 0 when there is none.
  [[noreturn]] void fail(const char* english, const char* italian, int code = 0) const;

  report::StagedFile staged_;
  std::unique_ptr<std::FILE, FileCloser> file_;
};

}  // namespace briskal::hostkit::labelprinter
