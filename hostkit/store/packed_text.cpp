#include "hostkit/store/packed_text.h"

#include <zlib.h>

#include <array>

#include "common/error.h"

namespace briskal::hostkit {
namespace {

constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

[[noreturn]] void damaged(const std::string& why) {
  throw Error(err::kInvalidArgument, "briskal", "A packed text of the print history is damaged: " + why);
}

std::string toBase64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
  }
  return out;
}

std::string fromBase64(std::string_view text) {
  std::array<int, 256> value{};
  value.fill(-1);
  for (int d = 0; d < 64; ++d) value[static_cast<unsigned char>(kDigits[d])] = d;
  if (text.size() % 4 != 0) damaged("its length is not a multiple of four");
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    uint32_t group = 0;
    int padding = 0;
    for (size_t k = 0; k < 4; ++k) {
      const char c = text[i + k];
      // Padding only at the very end, in the last two places.
      if (c == '=' && i + 4 == text.size() && k >= 2) {
        ++padding;
        group <<= 6;
        continue;
      }
      if (padding > 0 || value[static_cast<unsigned char>(c)] < 0)
        damaged("it holds a character base64 lacks");
      group = (group << 6) | static_cast<uint32_t>(value[static_cast<unsigned char>(c)]);
    }
    out += static_cast<char>((group >> 16) & 0xFF);
    if (padding < 2) out += static_cast<char>((group >> 8) & 0xFF);
    if (padding < 1) out += static_cast<char>(group & 0xFF);
  }
  return out;
}

}  // namespace

std::string packText(std::string_view text) {
  // Level 4 packs a chunk of labels that are all another order line's to under 150 bytes a label,
  // at about 1.3 times the time of the fastest level, which leaves them near 180.
  constexpr int kLevel = 4;
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::string deflated(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(deflated.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
                static_cast<uLong>(text.size()), kLevel) != Z_OK)
    throw Error(err::kInvalidArgument, "briskal", "The print history cannot pack a text");
  deflated.resize(size);
  // The unpacked length leads, so that unpacking needs no guess.
  return std::to_string(text.size()) + ":" + toBase64(deflated);
}

std::string unpackText(std::string_view packed) {
  const size_t colon = packed.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 12) damaged("it has no length");
  uint64_t length = 0;
  for (size_t i = 0; i < colon; ++i) {
    if (packed[i] < '0' || packed[i] > '9') damaged("its length is not a number");
    length = length * 10 + static_cast<uint64_t>(packed[i] - '0');
  }
  // Deflate packs at most about 1032 to 1: a length beyond that is no length packText wrote.
  const std::string deflated = fromBase64(packed.substr(colon + 1));
  if (length == 0) return {};
  if (length > (deflated.size() + 1) * 1032) damaged("its length does not match its bytes");
  std::string text(length, '\0');
  uLongf size = static_cast<uLongf>(length);
  if (uncompress(reinterpret_cast<Bytef*>(text.data()), &size,
                 reinterpret_cast<const Bytef*>(deflated.data()),
                 static_cast<uLong>(deflated.size())) != Z_OK ||
      size != length)
    damaged("its bytes do not inflate to its length");
  return text;
}

}  // namespace briskal::hostkit
