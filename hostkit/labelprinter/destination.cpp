#include "hostkit/labelprinter/destination.h"

#include <charconv>
#include <cstdint>

#include "common/error.h"
#include "hostkit/labelprinter/cups_device.h"
#include "hostkit/labelprinter/file_device.h"
#include "hostkit/labelprinter/ipp_device.h"
#include "hostkit/labelprinter/tcp_device.h"
#include "hostkit/report/destination_kind.h"
#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::labelprinter {
namespace {

constexpr uint16_t kRawPort = 9100;

[[noreturn]] void badDestination(std::string_view destination) {
  throw report::PrintFailure(
      err::kInvalidArgument, "LabelPrinter",
      report::FailureText().say(
          "Unknown label printer destination \"%1\" (expected tcp://HOST[:PORT], "
          "ipp://HOST[:PORT]/PATH, cups:QUEUE or a file ending in .epl or .zpl, in any case)",
          "Destinazione della stampante di etichette \"%1\" sconosciuta (si attende "
          "tcp://HOST[:PORTA], ipp://HOST[:PORTA]/PERCORSO, cups:CODA o un file che termina "
          "con .epl o .zpl, in maiuscolo o minuscolo)",
          {std::string(destination)}));
}

// A file's extension is its language; asking for the other one is a mistake worth stopping at.
PrinterLanguage fileLanguage(std::string_view destination, report::DestinationKind kind,
                             const PrinterSettings& settings) {
  const PrinterLanguage language =
      kind == report::DestinationKind::ZplFile ? PrinterLanguage::Zpl : PrinterLanguage::Epl2;
  if (settings.language && *settings.language != language) {
    throw report::PrintFailure(
        err::kInvalidArgument, "LabelPrinter",
        report::FailureText().say("The file %1 holds %2, not %3", "Il file %1 contiene %2, non %3",
                                  {std::string(destination), std::string(languageName(language)),
                                   std::string(languageName(*settings.language))}));
  }
  return language;
}

}  // namespace

TcpAddress tcpAddress(std::string_view destination) {
  if (!destination.starts_with("tcp://")) badDestination(destination);
  const std::string_view address = destination.substr(6);
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
  return {std::string(host), number};
}

void checkDestination(std::string_view destination) {
  if (!report::takesLabelJobs(report::destinationKind(destination))) badDestination(destination);
  if (destination.starts_with("tcp://")) tcpAddress(destination);
  if (destination == "cups:") badDestination(destination);
  if (destination.starts_with("ipp://") || destination.starts_with("ipps://"))
    ippAddress(std::string(destination));
}

OpenedPrinter openPrinter(std::string_view destination, PrinterSettings settings, const std::string& title) {
  OpenedPrinter printer;
  const report::DestinationKind kind = report::destinationKind(destination);
  if (!report::takesLabelJobs(kind)) badDestination(destination);
  if (destination.starts_with("tcp://")) {
    const TcpAddress address = tcpAddress(destination);
    printer.device = std::make_unique<TcpDevice>(address.host, address.port);
  } else if (destination.starts_with("ipp://") || destination.starts_with("ipps://")) {
    auto ipp = std::make_unique<IppDevice>(std::string(destination), title);
    settings.language = ipp->chooseLanguage(settings.language);
    if (!settings.dpi) settings.dpi = ipp->resolution();
    printer.device = std::move(ipp);
  } else if (destination.starts_with("cups:")) {
    printer.device = std::make_unique<CupsDevice>(std::string(destination.substr(5)), title);
  } else {
    settings.language = fileLanguage(destination, kind, settings);
    printer.device = std::make_unique<FileDevice>(destination);
  }
  if (!settings.language) settings.language = PrinterLanguage::Epl2;
  if (!settings.dpi) settings.dpi = PrinterSettings::kDefaultDpi;
  printer.settings = settings;
  return printer;
}

}  // namespace briskal::hostkit::labelprinter
