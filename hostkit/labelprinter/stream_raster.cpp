#include "hostkit/labelprinter/stream_raster.h"

#include <zint.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <memory>
#include <numbers>
#include <string>

#include "common/error.h"
#include "hostkit/gs1/element_string.h"
#include "hostkit/labelprinter/windows1252.h"
#include "hostkit/report/cairo_handles.h"
#include "hostkit/report/zint_input.h"

namespace briskal::hostkit::labelprinter {
namespace {

using report::CairoContext;
using report::CairoSurface;

struct ZintSymbolDeleter {
  void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

using ZintSymbol = std::unique_ptr<zint_symbol, ZintSymbolDeleter>;

[[noreturn]] void unreadable(const std::string& what) {
  throw Error(err::kInvalidArgument, "LabelPrinter", "The label stream cannot be drawn: " + what);
}

// A barcode as zint draws it upright, with `module` dots a module and bars `barHeight` dots high
// (0: the symbol's own).
// GS1 data is given as GS1 element strings, their AIs in square brackets.
ZintSymbol encode(int symbology, std::string_view data, int module, int barHeight, int option1 = -1,
                  bool readable = false, bool gs1 = false) {
  ZintSymbol symbol(ZBarcode_Create());
  symbol->symbology = symbology;
  symbol->input_mode = gs1 ? GS1_MODE : (symbology == BARCODE_EANX ? DATA_MODE : UNICODE_MODE);
  symbol->show_hrt = readable ? 1 : 0;
  symbol->option_1 = option1;
  symbol->scale = static_cast<float>(std::max(1, module)) / 2.0f;
  if (barHeight > 0) symbol->height = static_cast<float>(barHeight) / std::max(1, module);
  if (ZBarcode_Encode_and_Buffer(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()),
                                 static_cast<int>(data.size()), 0) >= ZINT_ERROR)
    unreadable("zint cannot draw \"" + std::string(data) + "\": " + symbol->errtxt);
  return symbol;
}

// What a symbol carries after its leading FNC1, as zint takes GS1 data.
std::string gs1Squared(std::string_view carried) { return report::zintGs1Data(gs1::parseEncoded(carried)); }

// Code 128 field data with the printer's invocation codes: ">8" is FNC1, "><" a '>', the others
// choose subsets. Empty when the data does not start with FNC1 (after a start code), which marks
// GS1 data; else the GS1 data, each later FNC1 a group separator.
std::string gs1Code128(std::string_view data) {
  for (const std::string_view start : {">;", ">:", ">9"})
    if (data.starts_with(start)) data.remove_prefix(2);
  if (!data.starts_with(">8")) return {};
  std::string carried;
  for (size_t i = 2; i < data.size(); ++i) {
    if (data[i] != '>' || i + 1 == data.size()) {
      carried += data[i];
      continue;
    }
    const char code = data[++i];
    if (code == '8') carried += gs1::kGroupSeparator;
    if (code == '<') carried += '>';
  }
  return gs1Squared(carried);
}

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

// The `index`-th of the comma-separated parameters of `text`, empty past the last.
std::string_view parameter(std::string_view text, size_t index) {
  for (size_t n = 0; n < index; ++n) {
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos) return {};
    text.remove_prefix(comma + 1);
  }
  return text.substr(0, text.find(','));
}

int number(const std::vector<int>& values, size_t index) {
  if (index >= values.size()) unreadable("a command has too few parameters");
  return values[index];
}

// How a field is turned, clockwise, from the letter ZPL gives it.
int zplTurn(char orientation) {
  switch (orientation) {
    case 'R': return 90;
    case 'I': return 180;
    case 'B': return 270;
    default: return 0;
  }
}

// How much of a dot a glyph must cover for the dot to print.
constexpr unsigned char kInk = 96;

// A label's dots as cairo draws them, without smoothing, so that every dot is black or white.
class Canvas {
 public:
  Canvas(int width, int height)
      : width_(std::max(1, width)),
        height_(std::max(1, height)),
        surface_(cairo_image_surface_create(CAIRO_FORMAT_A8, width_, height_)),
        cr_(cairo_create(surface_.get())) {
    report::checkCairo(cairo_status(cr_.get()), "Drawing a label's dots");
    cairo_set_antialias(cr_.get(), CAIRO_ANTIALIAS_NONE);
    cairo_font_options_t* options = cairo_font_options_create();
    // Glyphs are smoothed and then cut to dots, which keeps their thin stems that a one-bit
    // drawing would lose between dots.
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr_.get(), options);
    cairo_font_options_destroy(options);
  }

  // Rows of `widthBytes` bytes, the leftmost dot in the high bit; `blackBit` is the bit value
  // that prints.
  void graphic(int x, int y, int widthBytes, std::string_view rows, int blackBit) {
    cairo_surface_flush(surface_.get());
    unsigned char* data = cairo_image_surface_get_data(surface_.get());
    const int stride = cairo_image_surface_get_stride(surface_.get());
    for (size_t i = 0; i < rows.size(); ++i) {
      for (int bit = 0; bit < 8; ++bit) {
        const int value = (static_cast<unsigned char>(rows[i]) >> (7 - bit)) & 1;
        const int dx = x + static_cast<int>(i % widthBytes) * 8 + bit;
        const int dy = y + static_cast<int>(i / widthBytes);
        if (value == blackBit && dx >= 0 && dy >= 0 && dx < width_ && dy < height_)
          data[dy * stride + dx] = 255;
      }
    }
    cairo_surface_mark_dirty(surface_.get());
  }

  // Moves the origin to where an upright field of `width` x `height` dots starts, turned by
  // `turn`: ZPL places the top left of what the turned field covers at (x, y).
  void placeCovering(int x, int y, int width, int height, int turn) {
    cairo_identity_matrix(cr_.get());
    cairo_translate(cr_.get(), x, y);
    if (turn == 90) cairo_translate(cr_.get(), height, 0);
    if (turn == 180) cairo_translate(cr_.get(), width, height);
    if (turn == 270) cairo_translate(cr_.get(), 0, width);
    cairo_rotate(cr_.get(), turn * std::numbers::pi / 180);
  }
  // EPL2 turns a field about its start point, the upright top left.
  void placeTurnedAbout(int x, int y, int turn) {
    cairo_identity_matrix(cr_.get());
    cairo_translate(cr_.get(), x, y);
    cairo_rotate(cr_.get(), turn * std::numbers::pi / 180);
  }

  // A symbol upright at the origin.
  void barcode(const zint_symbol& symbol) {
    const CairoSurface bars(
        cairo_image_surface_create(CAIRO_FORMAT_A8, symbol.bitmap_width, symbol.bitmap_height));
    unsigned char* pixels = cairo_image_surface_get_data(bars.get());
    const int stride = cairo_image_surface_get_stride(bars.get());
    for (int row = 0; row < symbol.bitmap_height; ++row)
      for (int col = 0; col < symbol.bitmap_width; ++col) {
        const auto red = static_cast<unsigned char>(
            symbol.bitmap[(static_cast<size_t>(row) * symbol.bitmap_width + col) * 3]);
        pixels[row * stride + col] = red < 128 ? 255 : 0;
      }
    cairo_surface_mark_dirty(bars.get());
    cairo_set_source_rgba(cr_.get(), 0, 0, 0, 1);
    cairo_mask_surface(cr_.get(), bars.get(), 0, 0);
  }

  // A text upright at the origin, `height` dots high; `cell` > 0 puts each character in a cell of
  // that many dots (fixed-pitch fonts); `block` > 0 aligns it in a block that wide and cuts it there.
  void text(const std::string& utf8, int height, int cell, int block, char align) {
    cairo_t* cr = cr_.get();
    cairo_save(cr);
    cairo_select_font_face(cr, cell > 0 ? "DejaVu Sans Mono" : "DejaVu Sans Condensed",
                           CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, height);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    // The cell's height holds the ascent and the descent.
    const double scale = height / (font.ascent + font.descent);
    cairo_set_font_size(cr, height * scale);
    cairo_font_extents(cr, &font);
    if (cell > 0) {
      // Each character in its own cell: the printer's fonts are fixed-pitch.
      size_t at = 0;
      int x = 0;
      while (at < utf8.size()) {
        size_t next = at + 1;
        while (next < utf8.size() && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80) ++next;
        cairo_text_extents_t glyph;
        const std::string character = utf8.substr(at, next - at);
        cairo_text_extents(cr, character.c_str(), &glyph);
        cairo_move_to(cr, x + (cell - glyph.x_advance) / 2, font.ascent);
        cairo_show_text(cr, character.c_str());
        x += cell;
        at = next;
      }
    } else {
      cairo_text_extents_t extents;
      cairo_text_extents(cr, utf8.c_str(), &extents);
      double x = 0;
      if (block > 0) {
        if (align == 'C') x = (block - extents.x_advance) / 2;
        if (align == 'R') x = block - extents.x_advance;
        cairo_rectangle(cr, 0, 0, block, height);
        cairo_clip(cr);
      }
      cairo_move_to(cr, x, font.ascent);
      cairo_show_text(cr, utf8.c_str());
    }
    cairo_restore(cr);
  }

  // A rectangle `width` x `height` with a border `thickness` dots thick, filled when that is as
  // thick as its smaller side.
  void box(int x, int y, int width, int height, int thickness) {
    cairo_identity_matrix(cr_.get());
    if (thickness * 2 >= std::min(width, height)) {
      cairo_rectangle(cr_.get(), x, y, width, height);
    } else {
      cairo_rectangle(cr_.get(), x, y, width, height);
      cairo_rectangle(cr_.get(), x + width - thickness, y + thickness, -(width - 2 * thickness),
                      height - 2 * thickness);
    }
    cairo_fill(cr_.get());
  }

  void line(int x1, int y1, int x2, int y2, int thickness) {
    cairo_identity_matrix(cr_.get());
    cairo_set_line_width(cr_.get(), std::max(1, thickness));
    cairo_move_to(cr_.get(), x1, y1);
    cairo_line_to(cr_.get(), x2, y2);
    cairo_stroke(cr_.get());
  }

  LabelDots take() {
    cairo_surface_flush(surface_.get());
    LabelDots dots{width_, height_, std::vector<uint8_t>(static_cast<size_t>(width_) * height_)};
    const unsigned char* data = cairo_image_surface_get_data(surface_.get());
    const int stride = cairo_image_surface_get_stride(surface_.get());
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        dots.black[static_cast<size_t>(y) * width_ + x] = data[y * stride + x] >= 128;
    return dots;
  }

 private:
  int width_;
  int height_;
  CairoSurface surface_;
  CairoContext cr_;
};

// A quoted EPL2 field: a backslash takes the next byte as it is.
std::string epl2Quoted(std::string_view line) {
  const size_t open = line.find('"');
  if (open == std::string_view::npos) unreadable("a field without its quotes");
  std::string out;
  for (size_t i = open + 1; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    out += line[i];
  }
  return out;
}

// The built-in fonts' cells, in dots, as the writer chooses them.
struct Cell {
  int width, height;
};
Cell epl2Cell(int font, bool dpi300) {
  constexpr Cell k203[] = {{8, 12}, {10, 16}, {12, 20}, {14, 24}, {32, 48}};
  constexpr Cell k300[] = {{12, 20}, {16, 28}, {20, 36}, {24, 44}, {48, 80}};
  const int index = std::clamp(font, 1, 5) - 1;
  return dpi300 ? k300[index] : k203[index];
}

}  // namespace

std::vector<LabelDots> rasterizeEpl2(std::string_view stream, int dpi) {
  std::vector<LabelDots> labels;
  int width = 0, height = 0;
  int rx = 0, ry = 0;  // the reference point, which every position starts from
  std::unique_ptr<Canvas> canvas;
  const auto draw = [&] {
    if (!canvas) canvas = std::make_unique<Canvas>(width, height);
    return canvas.get();
  };
  size_t at = 0;
  while (at < stream.size()) {
    size_t end = stream.find('\n', at);
    if (end == std::string_view::npos) end = stream.size();
    const std::string_view line = stream.substr(at, end - at);
    if (line.starts_with("GW")) {
      // Binary rows follow the header; they may hold line feeds.
      const size_t header = line.find(',', line.find(',', line.find(',', line.find(',') + 1) + 1) + 1);
      if (header == std::string_view::npos) unreadable("a graphic without its size");
      const std::vector<int> v = numbers(line.substr(2, header - 2));
      const size_t size = static_cast<size_t>(std::max(0, number(v, 2))) * std::max(0, number(v, 3));
      if (at + header + 1 + size > stream.size()) unreadable("a graphic cut short");
      draw()->graphic(v[0] + rx, v[1] + ry, v[2], stream.substr(at + header + 1, size), 0);
      end = at + header + 1 + size;
    } else if (line == "N") {
      canvas.reset();
    } else if (line.starts_with('q')) {
      width = number(numbers(line.substr(1)), 0);
    } else if (line.starts_with('Q')) {
      height = number(numbers(line.substr(1)), 0);
    } else if (line.starts_with('R')) {
      const std::vector<int> v = numbers(line.substr(1));
      rx = number(v, 0);
      ry = number(v, 1);
    } else if (line.starts_with("P1")) {
      labels.push_back(draw()->take());
      canvas.reset();
    } else if (line.starts_with("LO")) {
      const std::vector<int> v = numbers(line.substr(2));
      draw()->box(number(v, 0) + rx, number(v, 1) + ry, number(v, 2), number(v, 3),
                  std::max(number(v, 2), number(v, 3)));
    } else if (line.starts_with("LS")) {
      const std::vector<int> v = numbers(line.substr(2));
      draw()->line(number(v, 0) + rx, number(v, 1) + ry, number(v, 3) + rx, number(v, 4) + ry, number(v, 2));
    } else if (line.starts_with('X')) {
      const std::vector<int> v = numbers(line.substr(1));
      draw()->box(number(v, 0) + rx, number(v, 1) + ry, number(v, 3) - number(v, 0),
                  number(v, 4) - number(v, 1), number(v, 2));
    } else if (line.starts_with('A')) {
      // Ax,y,rotation,font,hmul,vmul,N,"data" in the printer's code page.
      const std::vector<int> v = numbers(line.substr(1, line.find('"') - 1));
      const Cell cell = epl2Cell(number(v, 3), dpi >= 250);
      const int h = cell.height * number(v, 5);
      Canvas* c = draw();
      c->placeTurnedAbout(number(v, 0) + rx, number(v, 1) + ry, number(v, 2) * 90);
      c->text(fromWindows1252(epl2Quoted(line)), h, cell.width * number(v, 4), 0, 'L');
    } else if (line.starts_with('B')) {
      // Bx,y,rotation,type,narrow,wide,height,readable,"data"
      const std::vector<int> v = numbers(line.substr(1, line.find('"') - 1));
      const size_t typeAt = line.find(',', line.find(',', line.find(',') + 1) + 1);
      if (typeAt == std::string_view::npos) unreadable("a barcode without its type");
      const bool ean = line.substr(typeAt + 1).starts_with("E30");
      Canvas* c = draw();
      c->placeTurnedAbout(number(v, 0) + rx, number(v, 1) + ry, number(v, 2) * 90);
      const bool readable = parameter(line.substr(0, line.find('"')), 7) == "B";
      c->barcode(*encode(ean ? BARCODE_EANX : BARCODE_CODE128, epl2Quoted(line), number(v, 4), number(v, 6),
                         -1, readable));
    }
    at = end + 1;
  }
  return labels;
}

std::vector<LabelDots> rasterizeZpl(std::string_view stream) {
  std::vector<LabelDots> labels;
  int width = 0, height = 0, x = 0, y = 0, module = 2;
  int homeX = 0, homeY = 0;  // the label home, which every field origin starts from
  std::string barcode;       // the barcode command waiting for its field data, with its parameters
  std::string font;          // the font command waiting for its field data
  std::vector<int> block;
  char blockAlign = 'L';
  bool hex = false;
  std::unique_ptr<Canvas> canvas;
  const auto draw = [&] {
    if (!canvas) canvas = std::make_unique<Canvas>(width, height);
    return canvas.get();
  };
  size_t at = stream.find('^');
  while (at < stream.size()) {
    const size_t next = std::min(stream.find_first_of("^~", at + 1), stream.size());
    const std::string_view command = stream.substr(at + 1, 2);
    std::string_view args = stream.substr(std::min(at + 3, next), next - std::min(at + 3, next));
    while (!args.empty() && (args.back() == '\n' || args.back() == '\r')) args.remove_suffix(1);
    if (stream[at] == '~') {
      // ~SD and the like set the printer up; they draw nothing.
    } else if (command == "XA") {
      canvas.reset();
    } else if (command == "XZ") {
      labels.push_back(draw()->take());
      canvas.reset();
    } else if (command == "PW") {
      width = number(numbers(args), 0);
    } else if (command == "LL") {
      height = number(numbers(args), 0);
    } else if (command == "LH") {
      const std::vector<int> v = numbers(args);
      homeX = number(v, 0);
      homeY = number(v, 1);
    } else if (command == "FO") {
      const std::vector<int> v = numbers(args);
      x = homeX + number(v, 0);
      y = homeY + number(v, 1);
    } else if (command == "BY") {
      module = number(numbers(args), 0);
    } else if (command == "BC" || command == "BE" || command == "BQ" || command == "BX") {
      barcode = std::string(command) + std::string(args);
    } else if (command == "A0") {
      font = std::string(args);
    } else if (command == "FB") {
      // width,lines,spacing,justification,indent
      block = numbers(args);
      const std::vector<std::string_view> parts = [&] {
        std::vector<std::string_view> out;
        for (size_t from = 0; from <= args.size();) {
          const size_t comma = std::min(args.find(',', from), args.size());
          out.push_back(args.substr(from, comma - from));
          from = comma + 1;
        }
        return out;
      }();
      blockAlign = parts.size() > 3 && !parts[3].empty() ? parts[3][0] : 'L';
    } else if (command == "FH") {
      hex = true;
    } else if (command == "GB") {
      const std::vector<int> v = numbers(args);
      draw()->box(x, y, number(v, 0), number(v, 1), number(v, 2));
    } else if (command == "GD") {
      const std::vector<int> v = numbers(args);
      const bool right = args.find('R') != std::string_view::npos;
      const int w = number(v, 0), h = number(v, 1);
      right ? draw()->line(x, y + h, x + w, y, number(v, 2)) : draw()->line(x, y, x + w, y + h, number(v, 2));
    } else if (command == "GF") {
      // A,total,total,bytesPerRow,HEX
      const size_t dataAt = args.rfind(',') + 1;
      if (dataAt < 3) unreadable("a graphic without its size");
      const std::vector<int> v = numbers(args.substr(2, dataAt - 3));
      std::string rows;
      for (size_t i = dataAt; i + 1 < args.size(); i += 2) {
        int byte = 0;
        std::from_chars(args.data() + i, args.data() + i + 2, byte, 16);
        rows += static_cast<char>(byte);
      }
      draw()->graphic(x, y, std::max(1, number(v, 2)), rows, 1);
    } else if (command == "FD") {
      std::string data;
      for (size_t i = 0; i < args.size(); ++i) {
        if (hex && args[i] == '_' && i + 2 < args.size()) {
          int byte = 0;
          std::from_chars(args.data() + i + 1, args.data() + i + 3, byte, 16);
          data += static_cast<char>(byte);
          i += 2;
        } else if (!block.empty() && args[i] == '\\' && i + 1 < args.size() && args[i + 1] == '\\') {
          // In a field block two backslashes print one.
          data += '\\';
          ++i;
        } else {
          data += args[i];
        }
      }
      Canvas* c = draw();
      if (!barcode.empty()) {
        const int turn = zplTurn(barcode.size() > 2 ? barcode[2] : 'N');
        const std::vector<int> v = numbers(barcode.size() > 4 ? std::string_view(barcode).substr(4) : "");
        ZintSymbol symbol;
        // The interpretation line, printed under the bars, follows their height.
        const bool readable = parameter(barcode, 2) == "Y";
        if (barcode.starts_with("BC")) {
          const std::string gs1 = gs1Code128(data);
          symbol = gs1.empty() ? encode(BARCODE_CODE128, data, module, number(v, 0), -1, readable)
                               : encode(BARCODE_GS1_128, gs1, module, number(v, 0), -1, readable, true);
        }
        if (barcode.starts_with("BE"))
          symbol = encode(BARCODE_EANX, data, module, number(v, 0), -1, readable);
        // QR data starts with the error correction and input mode: "MA,".
        if (barcode.starts_with("BQ"))
          symbol = encode(BARCODE_QRCODE, data.size() > 3 ? std::string_view(data).substr(3) : "",
                          number(v, 1), 0, 2);
        if (barcode.starts_with("BX")) {
          // An escape character, then 1, first: FNC1, which marks GS1 data; later ones end fields.
          const std::string_view escape = parameter(barcode, 6);
          if (!escape.empty() && data.starts_with(std::string(escape) + "1")) {
            std::string carried;
            for (size_t i = escape.size() + 1; i < data.size(); ++i) {
              const bool fnc1 = data.compare(i, escape.size() + 1, std::string(escape) + "1") == 0;
              carried += fnc1 ? gs1::kGroupSeparator : data[i];
              if (fnc1) i += escape.size();
            }
            symbol = encode(BARCODE_DATAMATRIX, gs1Squared(carried), number(v, 0), 0, -1, false, true);
          } else {
            symbol = encode(BARCODE_DATAMATRIX, data, number(v, 0), 0);
          }
        }
        c->placeCovering(x, y, symbol->bitmap_width, symbol->bitmap_height, turn);
        c->barcode(*symbol);
      } else if (!font.empty()) {
        const int turn = zplTurn(font[0]);
        const std::vector<int> v = numbers(std::string_view(font).substr(std::min<size_t>(2, font.size())));
        const int h = number(v, 0);
        const int run = block.empty() ? width : number(block, 0);
        c->placeCovering(x, y, run, h, turn);
        c->text(data, h, 0, block.empty() ? 0 : run, blockAlign);
      }
    } else if (command == "FS") {
      barcode.clear();
      font.clear();
      block.clear();
      blockAlign = 'L';
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

}  // namespace briskal::hostkit::labelprinter
