#pragma once
// The text forms the fuzz targets read their inputs in, so that seeds stay readable: lines of
// space-separated words, with %XX for a byte a line cannot hold (%0A for a line feed).

#include <string>
#include <string_view>
#include <vector>

namespace briskal::fuzz {

// `text` with each %XX (two hexadecimal digits) replaced by the byte; any other '%' stays.
std::string percentDecoded(std::string_view text);

// The lines of `text`, without their line feeds.
std::vector<std::string_view> lines(std::string_view text);

// The first `count` space-separated words of `line` (empty ones for those it lacks) and, last, the
// rest of the line after them.
std::vector<std::string_view> words(std::string_view line, size_t count);

// The word as a number between `low` and `high`, clamped; `low` when it is none.
double numberIn(std::string_view word, double low, double high);

}  // namespace briskal::fuzz
