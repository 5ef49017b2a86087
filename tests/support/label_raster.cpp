#include "support/label_raster.h"

#include <zint.h>

#include <charconv>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

namespace briskal::testing {
namespace {

struct SymbolDeleter {
  void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

std::vector<int> numbers(std::string_view text) {
  std::vector<int> out;
  size_t at = 0;
  while (at <= text.size()) {
    const size_t comma = std::min(text.find(',', at), text.size());
    int value = 0;
    std::from_chars(text.data() + at, text.data() + comma, value);
    out.push_back(value);
    at = comma + 1;
  }
  return out;
}

class Canvas {
 public:
  Canvas(int width, int height) {
    dots_ = {width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height)};
  }

  void set(int x, int y) {
    if (x >= 0 && y >= 0 && x < dots_.width && y < dots_.height)
      dots_.black[static_cast<size_t>(y) * dots_.width + x] = 1;
  }
  // Rows of `widthBytes` bytes, the leftmost dot in the high bit; `blackBit` is the bit value
  // that prints.
  void graphic(int x, int y, int widthBytes, std::string_view rows, int blackBit) {
    for (size_t i = 0; i < rows.size(); ++i) {
      for (int bit = 0; bit < 8; ++bit) {
        const int value = (static_cast<unsigned char>(rows[i]) >> (7 - bit)) & 1;
        if (value == blackBit)
          set(x + static_cast<int>(i % widthBytes) * 8 + bit, y + static_cast<int>(i / widthBytes));
      }
    }
  }
  // A barcode as zint draws it with `module` dots a module and bars `barHeight` dots high.
  void barcode(int x, int y, int symbology, std::string_view data, int module, int barHeight,
               int option1 = -1) {
    const std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    symbol->symbology = symbology;
    symbol->input_mode = symbology == BARCODE_EANX ? DATA_MODE : UNICODE_MODE;
    symbol->show_hrt = 0;
    symbol->option_1 = option1;
    symbol->scale = static_cast<float>(module) / 2.0f;
    if (barHeight > 0) symbol->height = static_cast<float>(barHeight) / module;
    if (ZBarcode_Encode_and_Buffer(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()),
                                   static_cast<int>(data.size()), 0) >= ZINT_ERROR)
      throw std::runtime_error("zint cannot draw \"" + std::string(data) + "\": " + symbol->errtxt);
    for (int row = 0; row < symbol->bitmap_height; ++row)
      for (int col = 0; col < symbol->bitmap_width; ++col)
        if (static_cast<unsigned char>(
                symbol->bitmap[(static_cast<size_t>(row) * symbol->bitmap_width + col) * 3]) < 128)
          set(x + col, y + row);
  }
  LabelDots take() { return std::move(dots_); }

 private:
  LabelDots dots_;
};

// A quoted EPL2 field from `at` (the opening quote): a backslash takes the next byte as it is.
std::string epl2Quoted(std::string_view line) {
  const size_t open = line.find('"');
  std::string out;
  for (size_t i = open + 1; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\') ++i;
    out += line[i];
  }
  return out;
}

}  // namespace

std::vector<LabelDots> rasterizeEpl2(std::string_view stream) {
  std::vector<LabelDots> labels;
  int width = 0, height = 0;
  std::unique_ptr<Canvas> canvas;
  size_t at = 0;
  while (at < stream.size()) {
    size_t end = stream.find('\n', at);
    if (end == std::string_view::npos) end = stream.size();
    const std::string_view line = stream.substr(at, end - at);
    if (line.starts_with("GW")) {
      // Binary rows follow the header; they may hold line feeds.
      const size_t header = line.find(',', line.find(',', line.find(',', line.find(',') + 1) + 1) + 1);
      const std::vector<int> v = numbers(line.substr(2, header - 2));
      const size_t size = static_cast<size_t>(v.at(2)) * v.at(3);
      canvas->graphic(v[0], v[1], v[2], stream.substr(at + header + 1, size), 0);
      end = at + header + 1 + size;
    } else if (line == "N") {
      canvas = std::make_unique<Canvas>(width, height);
    } else if (line.starts_with('q')) {
      width = numbers(line.substr(1)).at(0);
    } else if (line.starts_with('Q')) {
      height = numbers(line.substr(1)).at(0);
      canvas = std::make_unique<Canvas>(width, height);
    } else if (line.starts_with("P1")) {
      labels.push_back(canvas->take());
    } else if (line.starts_with('B')) {
      // Bx,y,rotation,type,narrow,wide,height,readable,"data"
      const std::vector<int> v = numbers(line.substr(1, line.find('"') - 1));
      const std::string_view type =
          line.substr(line.find(',', line.find(',', line.find(',') + 1) + 1) + 1, 3);
      const bool ean = type.starts_with("E30");
      canvas->barcode(v.at(0), v.at(1), ean ? BARCODE_EANX : BARCODE_CODE128, epl2Quoted(line), v.at(4),
                      v.at(6));
    }
    at = end + 1;
  }
  return labels;
}

std::vector<LabelDots> rasterizeZpl(std::string_view stream) {
  std::vector<LabelDots> labels;
  int width = 0, height = 0, x = 0, y = 0, module = 2;
  std::string barcode;  // the barcode command waiting for its field data, with its parameters
  bool hex = false;
  std::unique_ptr<Canvas> canvas;
  const auto draw = [&] {
    if (!canvas) canvas = std::make_unique<Canvas>(width, height);
    return canvas.get();
  };
  size_t at = stream.find('^');
  while (at < stream.size()) {
    const size_t next = std::min(stream.find('^', at + 1), stream.size());
    const std::string_view command = stream.substr(at + 1, 2);
    std::string_view args = stream.substr(at + 3, next - at - 3);
    while (!args.empty() && (args.back() == '\n' || args.back() == '\r')) args.remove_suffix(1);
    if (command == "XA") {
      canvas.reset();
    } else if (command == "XZ") {
      labels.push_back(draw()->take());
      canvas.reset();
    } else if (command == "PW") {
      width = numbers(args).at(0);
    } else if (command == "LL") {
      height = numbers(args).at(0);
    } else if (command == "FO") {
      const std::vector<int> v = numbers(args);
      x = v.at(0);
      y = v.at(1);
    } else if (command == "BY") {
      module = numbers(args).at(0);
    } else if (command == "BC" || command == "BE" || command == "BQ" || command == "BX") {
      barcode = std::string(command) + std::string(args);
    } else if (command == "FH") {
      hex = true;
    } else if (command == "GF") {
      // A,total,total,bytesPerRow,HEX
      const size_t dataAt = args.rfind(',') + 1;
      const std::vector<int> v = numbers(args.substr(2, dataAt - 3));
      std::string rows;
      for (size_t i = dataAt; i + 1 < args.size(); i += 2)
        rows += static_cast<char>(std::stoi(std::string(args.substr(i, 2)), nullptr, 16));
      draw()->graphic(x, y, v.at(2), rows, 1);
    } else if (command == "FD") {
      std::string data;
      for (size_t i = 0; i < args.size(); ++i) {
        if (hex && args[i] == '_' && i + 2 < args.size()) {
          data += static_cast<char>(std::stoi(std::string(args.substr(i + 1, 2)), nullptr, 16));
          i += 2;
        } else {
          data += args[i];
        }
      }
      const std::vector<int> v = barcode.empty() ? std::vector<int>{} : numbers(barcode.substr(4));
      if (barcode.starts_with("BC")) draw()->barcode(x, y, BARCODE_CODE128, data, module, v.at(0));
      if (barcode.starts_with("BE")) draw()->barcode(x, y, BARCODE_EANX, data, module, v.at(0));
      // QR data starts with the error correction and input mode: "MA,".
      if (barcode.starts_with("BQ")) draw()->barcode(x, y, BARCODE_QRCODE, data.substr(3), v.at(1), 0, 2);
      if (barcode.starts_with("BX")) draw()->barcode(x, y, BARCODE_DATAMATRIX, data, v.at(0), 0);
    } else if (command == "FS") {
      barcode.clear();
      hex = false;
    }
    at = next;
  }
  return labels;
}

void writePgm(const LabelDots& label, const std::filesystem::path& file) {
  std::ofstream out(file, std::ios::binary);
  out << "P5\n" << label.width << ' ' << label.height << "\n255\n";
  for (const uint8_t dot : label.black) out.put(dot ? static_cast<char>(0) : static_cast<char>(255));
}

}  // namespace briskal::testing
