#include "hostkit/labelprinter/windows1252.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/utf8.h"

namespace briskal::hostkit::labelprinter {
namespace {

// The characters Windows-1252 puts where Latin-1 has its C1 controls (0x80-0x9F).
constexpr std::array<std::pair<char16_t, unsigned char>, 27> kHighCharacters{{
    {u'\u0152', 0x8C}, {u'\u0153', 0x9C}, {u'\u0160', 0x8A}, {u'\u0161', 0x9A}, {u'\u0178', 0x9F},
    {u'\u017D', 0x8E}, {u'\u017E', 0x9E}, {u'\u0192', 0x83}, {u'\u02C6', 0x88}, {u'\u02DC', 0x98},
    {u'\u2013', 0x96}, {u'\u2014', 0x97}, {u'\u2018', 0x91}, {u'\u2019', 0x92}, {u'\u201A', 0x82},
    {u'\u201C', 0x93}, {u'\u201D', 0x94}, {u'\u201E', 0x84}, {u'\u2020', 0x86}, {u'\u2021', 0x87},
    {u'\u2022', 0x95}, {u'\u2026', 0x85}, {u'\u2030', 0x89}, {u'\u2039', 0x8B}, {u'\u203A', 0x9B},
    {u'\u20AC', 0x80}, {u'\u2122', 0x99},
}};

char encode(char16_t c) {
  if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  const auto* found = std::lower_bound(kHighCharacters.begin(), kHighCharacters.end(), c,
                                       [](const auto& entry, char16_t key) { return entry.first < key; });
  if (found != kHighCharacters.end() && found->first == c) return static_cast<char>(found->second);
  return '?';
}

}  // namespace

std::string toWindows1252(std::string_view utf8) {
  // Each invalid subpart becomes U+FFFD first, which the code page lacks: one '?' apiece.
  const std::u16string units = utf8::toUtf16(utf8::toValidUtf8(utf8));
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t c = units[i];
    // A character beyond the 16-bit range arrives as a surrogate pair: one '?' for both halves.
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
      ++i;
    out += encode(c);
  }
  return out;
}

std::string fromWindows1252(std::string_view windows1252) {
  std::u16string units;
  units.reserve(windows1252.size());
  for (const char byte : windows1252) {
    const auto c = static_cast<unsigned char>(byte);
    const auto* high = std::find_if(kHighCharacters.begin(), kHighCharacters.end(),
                                    [c](const auto& entry) { return entry.second == c; });
    units += c >= 0x80 && c < 0xA0 ? (high != kHighCharacters.end() ? high->first : u'?')
                                   : static_cast<char16_t>(c);
  }
  return utf8::fromUtf16(units);
}

}  // namespace briskal::hostkit::labelprinter
