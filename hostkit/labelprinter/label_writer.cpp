#include "hostkit/labelprinter/label_writer.h"

#include "hostkit/labelprinter/epl2_writer.h"
#include "hostkit/labelprinter/zpl_writer.h"

namespace briskal::hostkit::labelprinter {

std::unique_ptr<LabelWriter> makeLabelWriter(ByteDevice& device, const PrinterSettings& settings) {
  if (settings.language == PrinterLanguage::Zpl) return std::make_unique<ZplWriter>(device, settings);
  return std::make_unique<Epl2Writer>(device, settings);
}

}  // namespace briskal::hostkit::labelprinter
