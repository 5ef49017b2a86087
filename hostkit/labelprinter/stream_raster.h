#pragma once
// The label printers' streams drawn back to dots as a printer would draw them, for the commands
// our EPL2 and ZPL writers send: native barcodes are drawn by zint with the stream's own data
// (escapes undone), module size, bar height and turn; graphics bit for bit; texts in a face close
// to the printer's fonts at the stream's sizes, cut where the printer cuts them (a ZPL field
// block, the label's edge); lines and boxes. What the designer's printer view shows, and what the
// scan tests read barcodes from.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace briskal::hostkit::labelprinter {

struct LabelDots {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> black;  // one byte a dot, row by row
  friend bool operator==(const LabelDots&, const LabelDots&) = default;
};

// One image a printed label; throws briskal::Error for a command it cannot read. EPL2 does not say
// the printer's resolution, which its fonts' sizes depend on.
std::vector<LabelDots> rasterizeEpl2(std::string_view stream, int dpi);
std::vector<LabelDots> rasterizeZpl(std::string_view stream);

// A binary PGM image, black on white.
void writePgm(const LabelDots& label, const std::filesystem::path& file);

}  // namespace briskal::hostkit::labelprinter
