#include "hostkit/labelprinter/status_query.h"

#include <cups/cups.h>
#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

#include "hostkit/labelprinter/cups_handles.h"
#include "hostkit/labelprinter/destination.h"
#include "hostkit/labelprinter/ipp_device.h"
#include "hostkit/labelprinter/tcp_connect.h"

namespace briskal::hostkit::labelprinter {
namespace {

using Clock = std::chrono::steady_clock;

// Once ~HS is answered, ~HQES gets this much longer: a printer that does not know it stays silent.
constexpr std::chrono::milliseconds kErrorsGrace{500};
// Far more than the answers take: what goes on past this is no printer's status.
constexpr size_t kLargestAnswer = 64 * 1024;

PrinterStatus notAnswering(std::string why) {
  PrinterStatus status;
  status.known = true;
  status.add(PrinterFault::NotAnswering);
  status.message = std::move(why);
  return status;
}

PrinterStatus unknown(std::string english, std::string italian) {
  PrinterStatus status;
  status.unknownWhy = {std::move(english), std::move(italian)};
  return status;
}

PrinterStatus askZpl(std::string_view destination, std::chrono::milliseconds timeout) {
  const TcpAddress address = tcpAddress(destination);
  std::unique_ptr<TcpSocket> socket;
  try {
    socket = std::make_unique<TcpSocket>(address.host, address.port, timeout);
  } catch (const TcpConnectError& e) {
    return notAnswering(e.what());
  }
  constexpr std::string_view kQuery = "~HS~HQES\r\n";
  if (::send(socket->fd(), kQuery.data(), kQuery.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(kQuery.size()))
    return notAnswering(std::strerror(errno));
  std::string answer;
  auto deadline = Clock::now() + timeout;
  bool hostStatus = false;
  while (answer.size() < kLargestAnswer && !zplAnswerComplete(answer, true)) {
    if (!hostStatus && zplAnswerComplete(answer, false)) {
      hostStatus = true;
      deadline = std::min(deadline, Clock::now() + kErrorsGrace);
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd p{socket->fd(), POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(std::max<int64_t>(left.count(), 0)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    std::array<char, 4096> buffer;
    const ssize_t n = ::recv(socket->fd(), buffer.data(), buffer.size(), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    answer.append(buffer.data(), static_cast<size_t>(n));
  }
  if (std::optional<PrinterStatus> status = parseZplStatus(answer)) return *status;
  return notAnswering(answer.empty() ? std::string() : "an answer that is not a printer's status");
}

std::vector<std::string> strings(ipp_attribute_t* attribute) {
  std::vector<std::string> out;
  for (int i = 0; attribute && i < ippGetCount(attribute); ++i) {
    const char* text = ippGetString(attribute, i, nullptr);
    if (text) out.emplace_back(text);
  }
  return out;
}

PrinterStatus askIpp(const std::string& uri, std::chrono::milliseconds timeout) {
  const IppAddress address = ippAddress(uri);
  const HttpConnection http = ippConnect(address, timeout);
  if (!http) return notAnswering(ippConnectFailure(address.host.c_str(), address.port, timeout));
  // A print server asking its printer may take many seconds before it answers.
  httpSetTimeout(http.get(), std::chrono::duration<double>(timeout).count() * 10, nullptr, nullptr);
  static const char* const kAttributes[] = {"printer-state", "printer-state-reasons",
                                            "printer-is-accepting-jobs", "printer-state-message"};
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
  const IppMessage response(cupsDoRequest(http.get(), request, address.resource.c_str()));
  if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
    return notAnswering(cupsLastErrorString() ? cupsLastErrorString() : "");
  ipp_attribute_t* state = ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM);
  ipp_attribute_t* accepting = ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
  const std::vector<std::string> message =
      strings(ippFindAttribute(response.get(), "printer-state-message", IPP_TAG_TEXT));
  return ippStatus(state ? ippGetInteger(state, 0) : 3,
                   strings(ippFindAttribute(response.get(), "printer-state-reasons", IPP_TAG_KEYWORD)),
                   !accepting || ippGetBoolean(accepting, 0), message.empty() ? "" : message.front());
}

struct DestinationDeleter {
  void operator()(cups_dest_t* destination) const { cupsFreeDests(1, destination); }
};

PrinterStatus askCups(const std::string& queue) {
  const std::unique_ptr<cups_dest_t, DestinationDeleter> destination(
      cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), nullptr));
  if (!destination) {
    // A print system that does not answer is not one that does not know the queue.
    if (cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
      return notAnswering(cupsLastErrorString() ? cupsLastErrorString() : "");
    PrinterStatus status;
    status.known = true;
    status.add(PrinterFault::NotKnown);
    return status;
  }
  const auto option = [&](const char* name) {
    const char* value = cupsGetOption(name, destination->num_options, destination->options);
    return std::string(value ? value : "");
  };
  std::vector<std::string> reasons;
  const std::string listed = option("printer-state-reasons");
  for (size_t at = 0; at < listed.size();) {
    const size_t comma = std::min(listed.find(',', at), listed.size());
    reasons.push_back(listed.substr(at, comma - at));
    at = comma + 1;
  }
  const std::string state = option("printer-state");
  return ippStatus(state == "5"   ? 5
                   : state == "4" ? 4
                                  : 3,
                   reasons, option("printer-is-accepting-jobs") != "false", option("printer-state-message"));
}

}  // namespace

PrinterStatus askStatus(std::string_view destination, PrinterLanguage language,
                        std::chrono::milliseconds timeout) {
  checkDestination(destination);
  if (destination.starts_with("tcp://")) {
    if (language == PrinterLanguage::Zpl) return askZpl(destination, timeout);
    return unknown("an EPL2 printer does not tell its status",
                   "una stampante EPL2 non comunica il suo stato");
  }
  if (destination.starts_with("ipp://") || destination.starts_with("ipps://"))
    return askIpp(std::string(destination), timeout);
  if (destination.starts_with("cups:")) return askCups(std::string(destination.substr(5)));
  return unknown("a file is not a printer", "un file non è una stampante");
}

}  // namespace briskal::hostkit::labelprinter
