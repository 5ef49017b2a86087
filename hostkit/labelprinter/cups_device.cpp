#include "hostkit/labelprinter/cups_device.h"

#include <cups/cups.h>

namespace briskal::hostkit::labelprinter {

CupsDevice::CupsDevice(std::string queue, const std::string& title)
    : stream_(std::move(queue), title, CUPS_FORMAT_RAW, 1, "LabelPrinter") {}

}  // namespace briskal::hostkit::labelprinter
