#include "common/utf8.h"

#include <algorithm>

namespace briskal::utf8 {

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

namespace {

// Decodes one character at `i`, advancing it; invalid bytes decode as themselves.
char32_t decode(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  auto cont = [&](size_t k) {
    return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
  };
  auto byte = [&](size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k]) & 0x3F); };
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  if ((b0 & 0xE0) == 0xC0 && b0 >= 0xC2 && cont(1)) {
    char32_t c = (static_cast<char32_t>(b0 & 0x1F) << 6) | byte(1);
    i += 2;
    return c;
  }
  if ((b0 & 0xF0) == 0xE0 && cont(1) && cont(2)) {
    char32_t c = (static_cast<char32_t>(b0 & 0x0F) << 12) | (byte(1) << 6) | byte(2);
    i += 3;
    return c;
  }
  if ((b0 & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
    char32_t c = (static_cast<char32_t>(b0 & 0x07) << 18) | (byte(1) << 12) | (byte(2) << 6) | byte(3);
    i += 4;
    return c;
  }
  ++i;
  return 0xDC00 + b0;  // lone byte, kept distinct from real characters
}

void encode(char32_t c, std::string& out) {
  if (c >= 0xDC80 && c <= 0xDCFF) {
    out += static_cast<char>(c - 0xDC00);
  } else {
    appendUtf8(out, c);
  }
}

char32_t lower(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  if (c == 0x178) return 0xFF;  // Ÿ pairs with ÿ of Latin-1, not with its neighbour
  if (c >= 0x100 && c <= 0x17F && c != 0x178 && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
      c != 0x17F) {
    // Latin Extended-A pairs upper/lower by parity, with the run 0x139-0x148 and 0x179-0x17E shifted.
    const bool shifted = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    const bool upper = shifted ? (c % 2 == 1) : (c % 2 == 0);
    return upper ? c + 1 : c;
  }
  return c;
}

}  // namespace

size_t length(std::string_view text) {
  size_t n = 0;
  for (size_t i = 0; i < text.size(); ++n) decode(text, i);
  return n;
}

size_t offsetOf(std::string_view text, size_t chars) {
  size_t i = 0;
  for (size_t n = 0; n < chars && i < text.size(); ++n) decode(text, i);
  return i;
}

std::string_view left(std::string_view text, size_t chars) { return text.substr(0, offsetOf(text, chars)); }

std::string foldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
      ++i;
    } else {
      encode(lower(decode(text, i)), out);
    }
  }
  return out;
}

int compareNoCase(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const char32_t ca = lower(decode(a, i));
    const char32_t cb = lower(decode(b, j));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool equalsNoCase(std::string_view a, std::string_view b) { return compareNoCase(a, b) == 0; }

namespace {

// The bytes that may follow `lead` as its first continuation byte: the narrower ranges after E0,
// ED, F0 and F4 are what rule out overlong forms, surrogates and code points past U+10FFFF.
struct SecondByteRange {
  unsigned char low;
  unsigned char high;
};

SecondByteRange secondByteRange(unsigned char lead) {
  if (lead == 0xE0) return {0xA0, 0xBF};
  if (lead == 0xED) return {0x80, 0x9F};
  if (lead == 0xF0) return {0x90, 0xBF};
  if (lead == 0xF4) return {0x80, 0x8F};
  return {0x80, 0xBF};
}

// Bytes in the well-formed sequence that `lead` starts; 0 when no sequence starts with it.
size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The bytes at `i` that make one character: a well-formed sequence, or the maximal invalid subpart
// that stands for one replacement character (a byte no sequence starts with is one).
struct Sequence {
  size_t bytes;
  bool wellFormed;
};

Sequence sequenceAt(std::string_view text, size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const size_t length = sequenceLength(lead);
  size_t good = 1;
  while (good < length && i + good < text.size()) {
    const auto next = static_cast<unsigned char>(text[i + good]);
    const SecondByteRange range = good == 1 ? secondByteRange(lead) : SecondByteRange{0x80, 0xBF};
    if (next < range.low || next > range.high) break;
    ++good;
  }
  return {good, good == length};
}

}  // namespace

bool isValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const Sequence sequence = sequenceAt(text, i);
    if (!sequence.wellFormed) return false;
    i += sequence.bytes;
  }
  return true;
}

std::string toValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const Sequence sequence = sequenceAt(text, i);
    if (sequence.wellFormed) {
      out.append(text.substr(i, sequence.bytes));
    } else {
      out += "\xEF\xBF\xBD";
    }
    i += sequence.bytes;
  }
  return out;
}

std::u16string toUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t c = decode(text, i);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string fromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xDC80 && c <= 0xDCFF) {
      c = 0xFFFD;  // a lone surrogate is not a stray byte here
    }
    encode(c, out);
  }
  return out;
}

namespace {

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

std::string printable(std::string_view text, bool keepLineFeeds) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (!isControl(byte) || (c == '\n' && keepLineFeeds)) {
      out += c;
      continue;
    }
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
  }
  return out;
}

bool hasControl(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return isControl(static_cast<unsigned char>(c)); });
}

}  // namespace briskal::utf8
