#pragma once
// A label-printer job sent to a printer over IPP (a label printer's own IPP service, or a print
// server's queue), as the printer's native document format, so that the bytes reach the printer
// untouched. The printer is asked first what it takes, at what resolution, and whether it is
// ready. The job is held in memory and sent whole by finish(): a job that fails half-way never
// reaches the printer, where a label printer's IPP service takes a request cut off half-way (its
// sender killed) for a whole job and prints what came. Failures throw briskal::Error naming the
// printer.

#include <cups/cups.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hostkit/labelprinter/byte_device.h"
#include "hostkit/labelprinter/cups_handles.h"
#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::labelprinter {

// An ipp:// or ipps:// address's parts.
struct IppAddress {
  std::string host;
  int port = 0;
  std::string resource;
  bool encrypted = false;
};
// Throws briskal::Error (invalid argument) for an address without a host, or that libcups cannot
// read.
IppAddress ippAddress(const std::string& uri);
// A connection to the printer within `timeout`; none when it cannot be made, as libcups says.
HttpConnection ippConnect(const IppAddress& address, std::chrono::milliseconds timeout);

// Why connecting to an IPP printer at `host`:`port` failed, just after libcups failed to, in the
// system's words.
std::string ippConnectFailure(const char* host, int port, std::chrono::milliseconds timeout);

class IppDevice : public ByteDevice {
 public:
  // A print server asking its printer for status may wait 10 s for an answer before it replies.
  static constexpr std::chrono::milliseconds kDefaultTimeout{30000};

  // Connects and asks the printer for its attributes; throws when it cannot be reached, is
  // stopped or does not accept jobs. `timeout` bounds the connection and each wait for an answer.
  IppDevice(std::string uri, std::string title, std::chrono::milliseconds timeout = kDefaultTimeout);
  IppDevice(const IppDevice&) = delete;
  IppDevice& operator=(const IppDevice&) = delete;

  // The language to send: `wanted` when the printer takes it (an error otherwise), else the one
  // it takes, EPL2 when it takes both.
  PrinterLanguage chooseLanguage(std::optional<PrinterLanguage> wanted);
  // The printer's default resolution in dots per inch, when it says.
  std::optional<int> resolution() const { return dpi_; }

  void write(std::string_view bytes) override;
  void finish() override;
  // From the job's state and the impressions the printer says it completed.
  std::optional<int64_t> unprinted(int64_t sent) override;

 private:
  // Our sentence, with %1 for the printer's URI, and the printer's or the system's own words.
  [[noreturn]] void fail(std::string english, std::string italian, std::string_view why) const;
  // The same, with why the last exchange with the printer failed.
  [[noreturn]] void fail(std::string english, std::string italian) const;
  [[noreturn]] void fail(report::FailureText failure) const;
  report::FailureText alreadySent() const;
  // The last exchange with the printer broke off (refused, reset, timed out) instead of ending
  // with an answer, which may still be a refusal.
  bool exchangeBroke() const;
  // Why the last exchange with the printer failed.
  void addLastError(report::FailureText& failure) const;
  void askPrinter();

  std::string uri_;
  std::string title_;
  std::string resource_;
  HttpConnection http_;
  std::vector<std::string> formats_;
  std::optional<int> dpi_;
  std::string format_;  // the job's document format
  std::string job_;
  int jobId_ = 0;  // the printer's number for the job, once sent
  bool finished_ = false;
};

}  // namespace briskal::hostkit::labelprinter
