// Label stock catalogue files: a text is read or refused with briskal::Error, never anything worse,
// and every product read has a grid of labels and lengths a sheet can hold.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/error.h"
#include "hostkit/report/stock_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace briskal::hostkit::report;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const StockFile file = readStockFile(text, "F.xml");
    for (const StockEntry& entry : file.products) {
      const LabelStock& s = entry.stock;
      if (!entry.equiv.empty()) continue;
      if (s.columns < 1 || s.rows < 1 || !(s.labelWidth > 0) || !(s.labelHeight > 0)) std::abort();
      for (const double length : {s.x0, s.y0, s.dx, s.dy, s.sheetWidth, s.sheetHeight})
        if (!std::isfinite(length) || length < 0) std::abort();
    }
  } catch (const briskal::Error&) {
  }
  return 0;
}
