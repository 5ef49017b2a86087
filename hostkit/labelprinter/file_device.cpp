#include "hostkit/labelprinter/file_device.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "common/error.h"
#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::labelprinter {
namespace {

// Our sentences, with %1 for the file.
constexpr const char* kClosed = "The label file %1 is already closed";
constexpr const char* kClosedItalian = "Il file di etichette %1 è già chiuso";
constexpr const char* kCannotWrite = "Cannot write the label file %1";
constexpr const char* kCannotWriteItalian = "Impossibile scrivere il file di etichette %1";

}  // namespace

FileDevice::FileDevice(std::filesystem::path path) : staged_(std::move(path)) {
  file_.reset(std::fopen(staged_.path().c_str(), "wb"));
  if (!file_) fail("Cannot create the label file %1", "Impossibile creare il file di etichette %1", errno);
}

void FileDevice::write(std::string_view bytes) {
  if (!file_) fail(kClosed, kClosedItalian);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size())
    fail(kCannotWrite, kCannotWriteItalian, errno);
}

void FileDevice::finish() {
  if (!file_) fail(kClosed, kClosedItalian);
  // fclose reports the write errors that buffering kept back, so its result matters.
  if (std::fclose(file_.release()) != 0) fail(kCannotWrite, kCannotWriteItalian, errno);
  staged_.commit();
}

void FileDevice::fail(const char* english, const char* italian, int code) const {
  report::FailureText failure;
  failure.say(english, italian, {staged_.destination().string()});
  if (code != 0) failure.because(std::strerror(code));
  throw report::PrintFailure(fileErrorNumber(code), "LabelPrinter", std::move(failure));
}

}  // namespace briskal::hostkit::labelprinter
