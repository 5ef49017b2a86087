#pragma once
// Opening a TCP connection to a printer within a timeout, trying each address its name has: the
// raw-port device sends its jobs over it, and the IPP device uses it to find why CUPS could not
// connect.

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace briskal::hostkit::labelprinter {

// Why no connection was made, in words (the resolver's or the system's message, without the
// address, which callers add); hostFound() is false when the name has no address.
class TcpConnectError : public std::runtime_error {
 public:
  TcpConnectError(const std::string& cause, bool hostFound)
      : std::runtime_error(cause), hostFound_(hostFound) {}
  bool hostFound() const { return hostFound_; }

 private:
  bool hostFound_;
};

// A connected socket, blocking, closed when it goes.
class TcpSocket {
 public:
  // Throws TcpConnectError when the name is unknown or no address takes the connection in time.
  TcpSocket(const std::string& host, uint16_t port, std::chrono::milliseconds timeout);
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

}  // namespace briskal::hostkit::labelprinter
