#include "hostkit/labelprinter/symbol_bitmap.h"

#include <zint.h>

#include <algorithm>
#include <memory>
#include <new>

#include "common/error.h"
#include "hostkit/report/zint_input.h"

namespace briskal::hostkit::labelprinter {
namespace {

struct SymbolDeleter {
  void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

}  // namespace

MonoBitmap symbolBitmap(const report::BarcodeOp& op, int widthDots, int heightDots) {
  const std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
  if (!symbol) throw std::bad_alloc();
  const report::ZintInput input = report::zintInput(op.symbology, op.data);
  const bool matrix = report::isMatrix(op.symbology);
  symbol->symbology = input.symbology;
  symbol->input_mode = input.inputMode;
  symbol->show_hrt = op.showText && !matrix ? 1 : 0;
  if (input.symbology == BARCODE_QRCODE) symbol->option_1 = 2;  // error correction M
  // zint draws two pixels a module at scale 1; the scale is set once the symbol's size is known.
  const auto fail = [&] {
    throw Error(err::kInvalidArgument, "LabelPrinter",
                "The barcode \"" + op.data + "\" cannot be drawn: " + std::string(symbol->errtxt));
  };
  if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(input.data.data()),
                      static_cast<int>(input.data.size())) >= ZINT_ERROR)
    fail();
  const int module = std::max(
      1, matrix ? std::min(widthDots, heightDots) / std::max(1, std::max(symbol->width, symbol->rows))
                : widthDots / std::max(1, symbol->width));
  symbol->scale = static_cast<float>(module) / 2.0f;
  // Bar heights count in modules; the text under the bars takes what zint gives it, so the bars
  // are shortened by what the first drawing overflowed.
  if (!matrix) symbol->height = static_cast<float>(std::max(1, heightDots / module));
  if (ZBarcode_Buffer(symbol.get(), 0) >= ZINT_ERROR) fail();
  if (!matrix && symbol->bitmap_height > heightDots) {
    symbol->height =
        std::max(1.0f, symbol->height - static_cast<float>(symbol->bitmap_height - heightDots) / module);
    if (ZBarcode_Buffer(symbol.get(), 0) >= ZINT_ERROR) fail();
  }

  MonoBitmap bitmap;
  const int width = symbol->bitmap_width;
  bitmap.widthDots = width;
  bitmap.widthBytes = (width + 7) / 8;
  bitmap.height = symbol->bitmap_height;
  bitmap.rows.assign(static_cast<size_t>(bitmap.widthBytes) * bitmap.height, static_cast<char>(0xFF));
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < width; ++x) {
      // An RGB triplet a pixel; the symbol is black on white.
      if (static_cast<unsigned char>(symbol->bitmap[(static_cast<size_t>(y) * width + x) * 3]) < 128) {
        auto& byte = bitmap.rows[static_cast<size_t>(y) * bitmap.widthBytes + x / 8];
        byte = static_cast<char>(static_cast<unsigned char>(byte) & ~(0x80u >> (x % 8)));
      }
    }
  }
  return bitmap;
}

}  // namespace briskal::hostkit::labelprinter
