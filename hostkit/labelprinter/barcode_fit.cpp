#include "hostkit/labelprinter/barcode_fit.h"

#include <fmt/format.h>
#include <zint.h>

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <utility>

#include "common/error.h"
#include "hostkit/report/zint_input.h"

namespace briskal::hostkit::labelprinter {

bool allDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool printableAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

std::string ean13Digits(std::string_view data) {
  const auto bad = [&](std::string_view why) {
    throw Error(err::kInvalidArgument, "LabelPrinter", fmt::format("EAN-13 barcode \"{}\": {}", data, why));
  };
  if (!allDigits(data) || (data.size() != 12 && data.size() != 13)) bad("needs 12 or 13 digits");
  if (data.size() == 13) {
    int sum = 0;
    for (size_t i = 0; i < 12; ++i) sum += (data[i] - '0') * (i % 2 == 0 ? 1 : 3);
    if ((10 - sum % 10) % 10 != data[12] - '0') bad("wrong check digit");
  }
  return std::string(data.substr(0, 12));
}

int code128Modules(std::string_view data) {
  const size_t characters = allDigits(data) && data.size() % 2 == 0 ? data.size() / 2 : data.size();
  return static_cast<int>(11 * (characters + 2) + 13);
}

int qrModules(size_t bytes) {
  constexpr std::array<size_t, 20> kCapacity{14,  26,  42,  62,  84,  106, 122, 152, 180, 213,
                                             251, 287, 331, 362, 412, 450, 504, 560, 624, 666};
  for (size_t v = 0; v < kCapacity.size(); ++v) {
    if (bytes <= kCapacity[v]) return static_cast<int>(21 + 4 * v);
  }
  return 177;  // the largest version
}

int dataMatrixModules(std::string_view data) {
  // clang-format off
  constexpr std::array<std::pair<int, size_t>, 24> kCodewords{{
      {10, 3},   {12, 5},   {14, 8},   {16, 12},  {18, 18},   {20, 22},    {22, 30},    {24, 36},
      {26, 44},  {32, 62},  {36, 86},  {40, 114}, {44, 144},  {48, 174},   {52, 204},   {64, 280},
      {72, 368}, {80, 456}, {88, 576}, {96, 696}, {104, 816}, {120, 1050}, {132, 1304}, {144, 1558},
  }};
  // clang-format on
  // Pairs of digits share a codeword.
  size_t needed = 0;
  for (size_t i = 0; i < data.size(); ++i, ++needed) {
    if (i + 1 < data.size() && allDigits(data.substr(i, 2))) ++i;
  }
  for (const auto& [side, codewords] : kCodewords) {
    if (needed <= codewords) return side + 2;
  }
  return kCodewords.back().first + 2;
}

int gs1_128Modules(std::string_view bracketed) {
  const std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol(ZBarcode_Create(), &ZBarcode_Delete);
  if (!symbol) throw std::bad_alloc();
  const report::ZintInput input = report::zintInput(report::Symbology::Gs1_128, bracketed);
  symbol->symbology = input.symbology;
  symbol->input_mode = input.inputMode;
  if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(input.data.data()),
                      static_cast<int>(input.data.size())) >= ZINT_ERROR)
    throw Error(err::kInvalidArgument, "LabelPrinter",
                fmt::format("The barcode \"{}\" cannot be drawn: {}", bracketed, symbol->errtxt));
  return std::max(1, symbol->width);
}

report::TextOp gs1ReadableLine(const report::BarcodeOp& op) {
  report::TextOp line{.x = op.x,
                      .y = op.y,
                      .width = op.width,
                      .height = kReadableLine,
                      .text = op.data,
                      .font = "DejaVu Sans",
                      .size = 7,
                      .bold = false,
                      .align = report::Align::Center,
                      .italic = false,
                      .rotation = op.rotation};
  switch (op.rotation) {
    case 90: line.width = kReadableLine, line.height = op.height; break;
    case 180: break;
    case 270:
      line.x = op.x + op.width - kReadableLine, line.width = kReadableLine, line.height = op.height;
      break;
    default: line.y = op.y + op.height - kReadableLine;
  }
  return line;
}

}  // namespace briskal::hostkit::labelprinter
