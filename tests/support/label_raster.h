#pragma once
// The label printers' streams drawn back to dots as a printer would, for the commands our EPL2
// and ZPL writers use to carry barcodes: native barcode commands are drawn by zint with the
// stream's own data (escapes undone), module size and bar height, graphics bit for bit. Texts,
// lines and boxes are left out: what is checked here is that every barcode scans.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace briskal::testing {

struct LabelDots {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> black;  // one byte a dot, row by row
};

// One image a printed label; throws std::runtime_error for a command it cannot read.
std::vector<LabelDots> rasterizeEpl2(std::string_view stream);
std::vector<LabelDots> rasterizeZpl(std::string_view stream);

// A binary PGM image, black on white.
void writePgm(const LabelDots& label, const std::filesystem::path& file);

}  // namespace briskal::testing
