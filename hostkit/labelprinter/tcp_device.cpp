#include "hostkit/labelprinter/tcp_device.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "common/error.h"

namespace briskal::hostkit::labelprinter {
namespace {

struct AddrInfoDeleter {
  void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

// Connects one resolved address within the timeout; returns the connected socket or -1 with
// errno set.
int connectWithin(const addrinfo& ai, std::chrono::milliseconds timeout) {
  const int fd = ::socket(ai.ai_family, ai.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai.ai_protocol);
  if (fd < 0) return -1;
  int code = 0;
  if (::connect(fd, ai.ai_addr, ai.ai_addrlen) != 0) {
    code = errno;
    if (code == EINPROGRESS) {
      pollfd p{fd, POLLOUT, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
      socklen_t len = sizeof code;
      if (ready == 0) {
        code = ETIMEDOUT;
      } else if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &len) != 0) {
        code = errno;
      }
    }
  }
  if (code != 0) {
    ::close(fd);
    errno = code;
    return -1;
  }
  // Writes block from here on, each bounded by the same timeout.
  timeval tv{static_cast<time_t>(timeout.count() / 1000),
             static_cast<suseconds_t>((timeout.count() % 1000) * 1000)};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  ::fcntl(fd, F_SETFL, 0);
  return fd;
}

}  // namespace

TcpDevice::TcpDevice(std::string host, uint16_t port, std::chrono::milliseconds timeout)
    : host_(std::move(host)), port_(port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(host_.c_str(), std::to_string(port_).c_str(), &hints, &found);
  if (rc != 0) {
    throw Error(err::kDeviceIoError, "LabelPrinter",
                "Cannot find the label printer " + address() + ": " + ::gai_strerror(rc));
  }
  const std::unique_ptr<addrinfo, AddrInfoDeleter> list(found);
  int code = 0;
  for (const addrinfo* ai = list.get(); ai && socket_ < 0; ai = ai->ai_next) {
    socket_ = connectWithin(*ai, timeout);
    if (socket_ < 0) code = errno;
  }
  if (socket_ < 0) fail("Cannot connect to the label printer", code);
}

TcpDevice::~TcpDevice() {
  if (socket_ >= 0) ::close(socket_);
}

void TcpDevice::write(std::string_view bytes) {
  if (socket_ < 0) fail("The connection to the label printer is already closed", 0);
  while (!bytes.empty()) {
    const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      fail("Cannot send the labels to the label printer", errno == EAGAIN ? ETIMEDOUT : errno);
    }
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
}

void TcpDevice::finish() {
  if (socket_ < 0) fail("The connection to the label printer is already closed", 0);
  // Shutting the sending side down first tells the printer the job is complete.
  const int shut = ::shutdown(socket_, SHUT_WR);
  const int code = errno;
  const int closed = ::close(socket_);
  socket_ = -1;
  if (shut != 0 || closed != 0)
    fail("Cannot complete the job on the label printer", shut != 0 ? code : errno);
}

void TcpDevice::fail(const std::string& what, int code) const {
  std::string description = what + " " + address();
  if (code != 0) description += ": " + std::string(std::strerror(code));
  throw Error(err::kDeviceIoError, "LabelPrinter", description);
}

std::string TcpDevice::address() const {
  // IPv6 literals need brackets to keep the port apart.
  if (host_.find(':') != std::string::npos) return "[" + host_ + "]:" + std::to_string(port_);
  return host_ + ":" + std::to_string(port_);
}

}  // namespace briskal::hostkit::labelprinter
