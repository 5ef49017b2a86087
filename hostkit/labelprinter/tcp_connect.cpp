#include "hostkit/labelprinter/tcp_connect.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

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
  ::fcntl(fd, F_SETFL, 0);
  return fd;
}

}  // namespace

TcpSocket::TcpSocket(const std::string& host, uint16_t port, std::chrono::milliseconds timeout) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (rc != 0) throw TcpConnectError(::gai_strerror(rc), false);
  const std::unique_ptr<addrinfo, AddrInfoDeleter> list(found);
  int code = 0;
  for (const addrinfo* ai = list.get(); ai && fd_ < 0; ai = ai->ai_next) {
    fd_ = connectWithin(*ai, timeout);
    if (fd_ < 0) code = errno;
  }
  if (fd_ < 0) throw TcpConnectError(std::strerror(code), true);
}

TcpSocket::~TcpSocket() { ::close(fd_); }

}  // namespace briskal::hostkit::labelprinter
