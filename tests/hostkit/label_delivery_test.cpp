// A job counts as sent only when the printer has confirmed it: raw TCP printers that reset the
// connection half-way or never read, and IPP printers that refuse or stay silent, fail with the
// cause in words, against real loopback servers.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <regex>
#include <string>
#include <system_error>
#include <thread>

#include "common/error.h"
#include "hostkit/labelprinter/ipp_device.h"
#include "hostkit/labelprinter/tcp_device.h"
#include "support/print_servers.h"
#include "support/process.h"
#include "test_helpers.h"

namespace briskal::hostkit::labelprinter {
namespace {

using namespace std::chrono_literals;
using testing::errorText;
using testing::LoopbackLabelPrinter;
using Cutoff = LoopbackLabelPrinter::Cutoff;

// More than a loopback connection's buffers hold on both sides together, so that a printer that
// stops reading stops the job half-way.
constexpr size_t kBeyondTheBuffers = size_t{16} << 20;
// Short, so that the printers that never answer fail the test quickly.
constexpr auto kShortTimeout = 300ms;

std::string sendJob(int port, const std::string& job,
                    std::chrono::milliseconds timeout = TcpDevice::kDefaultTimeout) {
  return errorText([&] {
    TcpDevice device("127.0.0.1", static_cast<uint16_t>(port), timeout);
    device.write(job);
    device.finish();
  });
}

// A printer that takes a job in only as fast as it prints it: a little at a time, through a
// receive buffer as small as the system allows, so that what it has not read yet stays
// unacknowledged on the sender's side. It closes its side once the job has ended.
class SlowPrinter {
 public:
  static constexpr size_t kBytesAtATime = 256;
  static constexpr auto kPace = 50ms;

  SlowPrinter() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int smallest = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest) != 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 1) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::system_error(errno, std::generic_category(), "A slow printer cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    reading_ = std::async(std::launch::async, [this] { return readJob(); });
  }
  ~SlowPrinter() {
    if (reading_.valid()) reading_.wait();
    ::close(listener_);
  }
  SlowPrinter(const SlowPrinter&) = delete;
  SlowPrinter& operator=(const SlowPrinter&) = delete;

  int port() const { return port_; }
  // What it read, once the sender has ended the job or gone.
  std::string received() { return reading_.get(); }

 private:
  std::string readJob() const {
    // A bound against a hang only: the test connects at once.
    constexpr int kConnectedWithinMs = 60000;
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, kConnectedWithinMs) != 1) return "";
    const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    std::string job;
    std::array<char, kBytesAtATime> buffer;
    for (ssize_t n; (n = ::recv(connection, buffer.data(), buffer.size(), 0)) > 0;) {
      job.append(buffer.data(), static_cast<size_t>(n));
      // Paces the printer; nothing is decided by it.
      std::this_thread::sleep_for(kPace);
    }
    ::close(connection);
    return job;
  }

  int listener_ = -1;
  int port_ = 0;
  std::future<std::string> reading_;
};

// The count a failure gives of the bytes the printer acknowledged, out of `total`; -1 when the
// message gives none.
long long acknowledgedBytes(const std::string& message, size_t total) {
  std::string grouped = std::to_string(total);
  for (auto at = static_cast<std::ptrdiff_t>(grouped.size()) - 3; at > 0; at -= 3) grouped.insert(at, ",");
  std::smatch found;
  if (!std::regex_search(message, found,
                         std::regex("acknowledged ([0-9,]+) of the " + grouped + " bytes sent")))
    return -1;
  std::string digits = found[1];
  std::erase(digits, ',');
  return std::stoll(digits);
}

TEST(LabelDevices, TcpPrinterThatResetsFailsWithWhatItAcknowledged) {
  struct Case {
    size_t job;
    size_t readBeforeReset;
  };
  for (const Case c : {Case{1000, 500}, Case{1000, 1000}, Case{kBeyondTheBuffers, 65536}}) {
    LoopbackLabelPrinter printer;
    printer.cutOffAfter(c.readBeforeReset, Cutoff::Reset);
    const std::string message = sendJob(printer.port(), std::string(c.job, 'x'));
    const std::string where =
        std::to_string(c.job) + " bytes, reset after " + std::to_string(c.readBeforeReset) + ": " + message;
    EXPECT_NE(message.find("127.0.0.1:" + std::to_string(printer.port())), std::string::npos) << where;
    EXPECT_NE(message.find(std::strerror(ECONNRESET)), std::string::npos) << where;
    // The printer's system acknowledges what it receives, read or not, and may not have sent the
    // acknowledgement of the last bytes read before the reset.
    const long long acknowledged = acknowledgedBytes(message, c.job);
    EXPECT_GE(acknowledged, 0) << where;
    EXPECT_LE(acknowledged, static_cast<long long>(c.job)) << where;
    if (c.job == kBeyondTheBuffers) {
      EXPECT_GT(acknowledged, 0) << where;
      EXPECT_LT(acknowledged, static_cast<long long>(c.job)) << where;
    }
  }
}

TEST(LabelDevices, TcpPrinterThatNeverReadsFailsAfterTheTimeout) {
  for (const size_t size : {size_t{1000}, kBeyondTheBuffers}) {
    LoopbackLabelPrinter printer;
    printer.cutOffAfter(0, Cutoff::Stall);
    const std::string message = sendJob(printer.port(), std::string(size, 'x'), kShortTimeout);
    EXPECT_NE(message.find("127.0.0.1:" + std::to_string(printer.port())), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(ETIMEDOUT)), std::string::npos) << size << ": " << message;
    EXPECT_GE(acknowledgedBytes(message, size), 0) << size << ": " << message;
  }
}

// The printer's answers are read and dropped: left unread they would make closing the connection
// a reset, which throws away what the printer has not read yet.
TEST(LabelDevices, TcpPrinterThatAnswersAndClosesGetsTheWholeJob) {
  LoopbackLabelPrinter printer(LoopbackLabelPrinter::Language::Zpl);
  const std::string labels(kBeyondTheBuffers, 'x');
  EXPECT_EQ(sendJob(printer.port(), "~HS\n" + labels + "~HQES\n"), "no error");
  const std::string received = printer.waitForJobs(1).at(0);
  EXPECT_EQ(received.size(), labels.size());
  EXPECT_TRUE(received == labels);
  EXPECT_EQ(printer.statusQueries(), 2);
}

// Taking the job in takes the printer several timeouts, but it never stops taking it for one:
// the wait goes on as long as the printer acknowledges more.
TEST(LabelDevices, TcpPrinterThatReadsSlowlyGetsTheWholeJob) {
  SlowPrinter printer;
  constexpr auto kTimeout = 1s;
  // Three timeouts of reading, more than one of them after the last write has been taken.
  const std::string job(kTimeout / SlowPrinter::kPace * SlowPrinter::kBytesAtATime * 3, 'x');
  EXPECT_EQ(sendJob(printer.port(), job, kTimeout), "no error");
  EXPECT_EQ(printer.received(), job);
}

TEST(LabelDevices, IppFailuresNameTheCause) {
  const testing::RefusingLoopbackPort closed;
  const std::string refusedUri = "ipp://127.0.0.1:" + std::to_string(closed.port()) + "/ipp/print/x";
  const std::string refused = errorText([&] { IppDevice device(refusedUri, "t", kShortTimeout); });
  EXPECT_NE(refused.find("Cannot connect to the label printer " + refusedUri), std::string::npos) << refused;
  EXPECT_NE(refused.find(std::strerror(ECONNREFUSED)), std::string::npos) << refused;

  // Takes the request and never answers.
  const LoopbackLabelPrinter silent;
  const std::string silentUri = "ipp://127.0.0.1:" + std::to_string(silent.port()) + "/ipp/print/x";
  const std::string unanswered = errorText([&] { IppDevice device(silentUri, "t", kShortTimeout); });
  EXPECT_NE(unanswered.find("The label printer does not answer " + silentUri), std::string::npos)
      << unanswered;
  EXPECT_NE(unanswered.find(std::strerror(ETIMEDOUT)), std::string::npos) << unanswered;
}

// A printer that answers with a refusal is told apart from one that does not answer.
TEST(LabelDevices, IppRefusalGivesThePrintersStatus) {
  if (!testing::lprintAvailable()) GTEST_SKIP() << "lprint is not installed";
  testing::LprintTestServer lprint;
  const std::string uri = lprint.printerUri("briskal-no-such-printer");
  const std::string message = errorText([&] { IppDevice device(uri, "t"); });
  EXPECT_NE(message.find("The label printer refused the request for its state " + uri + ": printer-uri " +
                         uri + " not found"),
            std::string::npos)
      << message;
}

}  // namespace
}  // namespace briskal::hostkit::labelprinter
