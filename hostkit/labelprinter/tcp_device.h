#pragma once
// A label-printer job sent over a raw TCP connection (the printers' port 9100 protocol): connect,
// write the bytes, end the sending side and wait for the printer to close its side, which is the
// only sign a raw port gives that the job was read. Every failure throws briskal::Error with the
// printer's address; once bytes were sent, also how many of them the printer acknowledged.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "hostkit/labelprinter/byte_device.h"
#include "hostkit/labelprinter/tcp_connect.h"

namespace briskal::hostkit::labelprinter {

class TcpDevice : public ByteDevice {
 public:
  static constexpr std::chrono::milliseconds kDefaultTimeout{10000};

  // Connects at once, so that a printer that is off is reported before any label is laid out.
  // `timeout` bounds the connection, each write and the wait for the printer to close: each fails
  // when the printer takes nothing more for that long.
  TcpDevice(std::string host, uint16_t port, std::chrono::milliseconds timeout = kDefaultTimeout);

  void write(std::string_view bytes) override;
  // Returns once the printer has closed its side; what it answered meanwhile is dropped. A reset,
  // or a printer that neither closes nor takes more bytes within the timeout, is a failure.
  void finish() override;

 private:
  void waitForClose();
  // The bytes the kernel took that the printer has not acknowledged yet.
  uint64_t unacknowledged() const;
  // Our sentence, with %1 for the address, the system's words for `code` when it is not 0, and
  // what the printer acknowledged once bytes were sent.
  [[noreturn]] void fail(const char* english, const char* italian, int code) const;
  std::string address() const;

  std::string host_;
  uint16_t port_;
  std::chrono::milliseconds timeout_;
  std::unique_ptr<TcpSocket> socket_;
  uint64_t given_ = 0;   // bytes of the job written to this device
  uint64_t queued_ = 0;  // of those, the bytes the kernel took
  bool ended_ = false;   // the sending side is shut down
};

}  // namespace briskal::hostkit::labelprinter
