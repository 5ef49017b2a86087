#include "hostkit/labelprinter/tcp_device.h"

#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "common/error.h"
#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::labelprinter {
namespace {

// Our sentences, with %1 for the printer's address.
constexpr const char* kJobUnconfirmed = "No confirmation of the labels from the label printer %1";
constexpr const char* kJobUnconfirmedItalian =
    "Nessuna conferma delle etichette dalla stampante di etichette %1";
constexpr const char* kClosed = "The connection to the label printer %1 is already closed";
constexpr const char* kClosedItalian = "La connessione alla stampante di etichette %1 è già chiusa";

// 12345678 as "12,345,678".
std::string groupedCount(uint64_t count) {
  std::string digits = std::to_string(count);
  for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits;
}

// The error the connection holds, such as a reset that came while nothing was being sent;
// `otherwise` when it holds none.
int pendingError(int fd, int otherwise) {
  int code = 0;
  socklen_t len = sizeof code;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &len) != 0 || code == 0) return otherwise;
  return code;
}

}  // namespace

TcpDevice::TcpDevice(std::string host, uint16_t port, std::chrono::milliseconds timeout)
    : host_(std::move(host)), port_(port), timeout_(timeout) {
  try {
    socket_ = std::make_unique<TcpSocket>(host_, port_, timeout_);
  } catch (const TcpConnectError& e) {
    report::FailureText failure;
    if (e.hostFound()) {
      failure.say("Cannot connect to the label printer %1",
                  "Impossibile collegarsi alla stampante di etichette %1", {address()});
    } else {
      failure.say("Cannot find the label printer %1", "Impossibile trovare la stampante di etichette %1",
                  {address()});
    }
    throw report::PrintFailure(err::kDeviceIoError, "LabelPrinter", std::move(failure.because(e.what())));
  }
  // Writes block from here on, each bounded by the same timeout.
  timeval tv{static_cast<time_t>(timeout_.count() / 1000),
             static_cast<suseconds_t>((timeout_.count() % 1000) * 1000)};
  ::setsockopt(socket_->fd(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

void TcpDevice::write(std::string_view bytes) {
  if (!socket_) fail(kClosed, kClosedItalian, 0);
  given_ += bytes.size();
  while (!bytes.empty()) {
    const ssize_t sent = ::send(socket_->fd(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      fail("Cannot send the labels to the label printer %1",
           "Impossibile inviare le etichette alla stampante di "
           "etichette %1",
           errno == EAGAIN ? ETIMEDOUT : errno);
    }
    queued_ += static_cast<uint64_t>(sent);
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
}

void TcpDevice::finish() {
  if (!socket_) fail(kClosed, kClosedItalian, 0);
  // The end of the sending side tells the printer the job is complete.
  if (::shutdown(socket_->fd(), SHUT_WR) != 0)
    fail(kJobUnconfirmed, kJobUnconfirmedItalian, pendingError(socket_->fd(), errno));
  ended_ = true;
  waitForClose();
  socket_.reset();
}

void TcpDevice::waitForClose() {
  using Clock = std::chrono::steady_clock;
  uint64_t unconfirmed = unacknowledged();
  auto deadline = Clock::now() + timeout_;
  std::array<char, 4096> answer;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd p{socket_->fd(), POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(std::max<int64_t>(left.count(), 0)));
    if (ready < 0) {
      if (errno == EINTR) continue;
      fail(kJobUnconfirmed, kJobUnconfirmedItalian, errno);
    }
    if (ready == 0) {
      // A printer still taking the job in, as slowly as it prints, gets another period.
      const uint64_t now = unacknowledged();
      if (now >= unconfirmed) fail(kJobUnconfirmed, kJobUnconfirmedItalian, ETIMEDOUT);
      unconfirmed = now;
      deadline = Clock::now() + timeout_;
      continue;
    }
    const ssize_t n = ::recv(socket_->fd(), answer.data(), answer.size(), 0);
    if (n == 0) return;
    if (n < 0 && errno != EINTR) fail(kJobUnconfirmed, kJobUnconfirmedItalian, errno);
  }
}

uint64_t TcpDevice::unacknowledged() const {
  int queued = 0;
  // Without the kernel's count nothing is known to have arrived.
  if (::ioctl(socket_->fd(), SIOCOUTQ, &queued) != 0) return queued_;
  auto unacked = static_cast<uint64_t>(queued);
  // Once the sending side is shut down the count includes its end marker until it is acknowledged.
  if (ended_ && unacked > 0) --unacked;
  return std::min(unacked, queued_);
}

void TcpDevice::fail(const char* english, const char* italian, int code) const {
  report::FailureText failure;
  failure.say(english, italian, {address()});
  if (code != 0) failure.because(std::strerror(code));
  if (given_ > 0 && socket_) {
    failure.say("the printer acknowledged %1 of the %2 bytes sent",
                "la stampante ha confermato %1 dei %2 byte inviati",
                {groupedCount(queued_ - unacknowledged()), groupedCount(given_)});
  }
  throw report::PrintFailure(err::kDeviceIoError, "LabelPrinter", std::move(failure));
}

std::string TcpDevice::address() const {
  // IPv6 literals need brackets to keep the port apart.
  if (host_.find(':') != std::string::npos) return "[" + host_ + "]:" + std::to_string(port_);
  return host_ + ":" + std::to_string(port_);
}

}  // namespace briskal::hostkit::labelprinter
