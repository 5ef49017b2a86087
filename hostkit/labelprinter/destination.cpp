#include "hostkit/labelprinter/destination.h"

#include <charconv>
#include <cstdint>

#include "common/error.h"
#include "hostkit/labelprinter/cups_device.h"
#include "hostkit/labelprinter/file_device.h"
#include "hostkit/labelprinter/tcp_device.h"

namespace briskal::hostkit::labelprinter {
namespace {

constexpr uint16_t kRawPort = 9100;

[[noreturn]] void badDestination(std::string_view destination) {
  throw Error(err::kInvalidArgument, "LabelPrinter",
              "Unknown label printer destination \"" + std::string(destination) +
                  "\" (expected tcp://HOST[:PORT], cups:QUEUE or a file ending in .epl)");
}

std::unique_ptr<ByteDevice> openTcp(std::string_view destination, std::string_view address) {
  std::string_view host = address;
  std::string_view port;
  if (address.starts_with('[')) {
    // [IPv6]:port
    const size_t close = address.find(']');
    if (close == std::string_view::npos) badDestination(destination);
    host = address.substr(1, close - 1);
    const std::string_view rest = address.substr(close + 1);
    if (!rest.empty() && !rest.starts_with(':')) badDestination(destination);
    if (!rest.empty()) port = rest.substr(1);
  } else if (const size_t colon = address.rfind(':'); colon != std::string_view::npos) {
    host = address.substr(0, colon);
    port = address.substr(colon + 1);
  }
  uint16_t number = kRawPort;
  if (!port.empty()) {
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (ec != std::errc() || end != port.data() + port.size() || number == 0) badDestination(destination);
  }
  if (host.empty()) badDestination(destination);
  return std::make_unique<TcpDevice>(std::string(host), number);
}

}  // namespace

std::unique_ptr<ByteDevice> openDevice(std::string_view destination, const std::string& title) {
  if (destination.starts_with("tcp://")) return openTcp(destination, destination.substr(6));
  if (destination.starts_with("cups:"))
    return std::make_unique<CupsDevice>(std::string(destination.substr(5)), title);
  if (destination.size() > 4 && destination.ends_with(".epl"))
    return std::make_unique<FileDevice>(destination);
  badDestination(destination);
}

}  // namespace briskal::hostkit::labelprinter
