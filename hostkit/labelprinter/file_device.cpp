#include "hostkit/labelprinter/file_device.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "common/error.h"

namespace briskal::hostkit::labelprinter {

FileDevice::FileDevice(std::filesystem::path path) : staged_(std::move(path)) {
  file_.reset(std::fopen(staged_.path().c_str(), "wb"));
  if (!file_) fail("Cannot create the label file", errno);
}

void FileDevice::write(std::string_view bytes) {
  if (!file_) fail("The label file is already closed");
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size())
    fail("Cannot write the label file", errno);
}

void FileDevice::finish() {
  if (!file_) fail("The label file is already closed");
  // fclose reports the write errors that buffering kept back, so its result matters.
  if (std::fclose(file_.release()) != 0) fail("Cannot write the label file", errno);
  staged_.commit();
}

void FileDevice::fail(const char* what, int code) const {
  std::string description = std::string(what) + " " + staged_.destination().string();
  if (code != 0) description += ": " + std::string(std::strerror(code));
  throw Error(fileErrorNumber(code), "LabelPrinter", description);
}

}  // namespace briskal::hostkit::labelprinter
