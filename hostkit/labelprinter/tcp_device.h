#pragma once
// A label-printer job sent over a raw TCP connection (the printers' port 9100 protocol): connect,
// write the bytes, close. Every failure throws briskal::Error with the printer's address.

#include <chrono>
#include <cstdint>
#include <string>

#include "hostkit/labelprinter/byte_device.h"

namespace briskal::hostkit::labelprinter {

class TcpDevice : public ByteDevice {
 public:
  static constexpr std::chrono::milliseconds kDefaultTimeout{10000};

  // Connects at once, so that a printer that is off is reported before any label is laid out.
  // `timeout` bounds the connection and each write.
  TcpDevice(std::string host, uint16_t port, std::chrono::milliseconds timeout = kDefaultTimeout);
  ~TcpDevice() override;
  TcpDevice(const TcpDevice&) = delete;
  TcpDevice& operator=(const TcpDevice&) = delete;

  void write(std::string_view bytes) override;
  void finish() override;

 private:
  [[noreturn]] void fail(const std::string& what, int code) const;
  std::string address() const;

  std::string host_;
  uint16_t port_;
  int socket_ = -1;
};

}  // namespace briskal::hostkit::labelprinter
