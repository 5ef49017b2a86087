#pragma once
// A PNG image scaled to a box of printer dots and reduced to one bit per dot, in the row layout
// of the label printers' graphics command: rows top to bottom, 8 dots a byte with the leftmost
// in the high bit, a 0 bit printing black and the bits past the right edge left white.

#include <filesystem>
#include <string>

namespace briskal::hostkit::labelprinter {

struct MonoBitmap {
  int widthDots = 0;
  int widthBytes = 0;
  int height = 0;
  std::string rows;  // widthBytes * height bytes
};

// Throws briskal::Error naming the file when it cannot be read as PNG.
MonoBitmap loadMonoBitmap(const std::filesystem::path& png, int widthDots, int heightDots);

// The bitmap turned clockwise by 0, 90, 180 or 270 degrees.
MonoBitmap turned(const MonoBitmap& bitmap, int rotation);

}  // namespace briskal::hostkit::labelprinter
