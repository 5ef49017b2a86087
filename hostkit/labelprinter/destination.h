#pragma once
// The label printer's destination as the host configures it, in one text:
//   tcp://HOST[:PORT]   a printer on the network, raw port 9100 unless given
//   cups:QUEUE          a raw CUPS queue
//   PATH.epl            a file

#include <memory>
#include <string>
#include <string_view>

#include "hostkit/labelprinter/byte_device.h"

namespace briskal::hostkit::labelprinter {

// Opens the device for one job called `title`. Throws briskal::Error for a destination of none of
// the three forms and when the device cannot be opened.
std::unique_ptr<ByteDevice> openDevice(std::string_view destination, const std::string& title);

}  // namespace briskal::hostkit::labelprinter
