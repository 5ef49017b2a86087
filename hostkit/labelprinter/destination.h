#pragma once
// The label printer's destination as the host configures it, in one text:
//   tcp://HOST[:PORT]            a printer on the network, raw port 9100 unless given
//   ipp://HOST[:PORT]/PATH       a printer (or print server) over IPP; ipps:// encrypted
//   cups:QUEUE                   a raw CUPS queue
//   PATH.epl, PATH.zpl           a file of the extension's language, in any case (destinationKind)

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "hostkit/labelprinter/byte_device.h"
#include "hostkit/labelprinter/printer_settings.h"

namespace briskal::hostkit::labelprinter {

struct OpenedPrinter {
  std::unique_ptr<ByteDevice> device;
  PrinterSettings settings;  // nothing left unset
};

struct TcpAddress {
  std::string host;
  uint16_t port = 0;
};
// A tcp:// destination's host and port (9100 unless given); throws briskal::Error for anything else.
TcpAddress tcpAddress(std::string_view destination);
// Throws the error openPrinter gives for a destination of none of the forms above, without
// reaching for the printer.
void checkDestination(std::string_view destination);

// Opens the destination for one job called `title`. Settings left unset come from the printer:
// an IPP printer's document formats and resolution, a file's extension; then EPL2 at 203 dpi.
// Throws briskal::Error for a destination of none of the forms above, a language the printer
// does not take, and when the printer cannot be reached or is stopped.
OpenedPrinter openPrinter(std::string_view destination, PrinterSettings settings, const std::string& title);

}  // namespace briskal::hostkit::labelprinter
