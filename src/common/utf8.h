#pragma once
// UTF-8 helpers: lengths and cuts count characters, not bytes, so that a 40-character name with
// accents stays 40 characters wide; case folding for the comparisons that ignore letter case.

#include <string>
#include <string_view>

namespace briskal::utf8 {

// Number of characters; a byte that does not start a valid sequence counts as one character.
size_t length(std::string_view text);
// Byte offset of character `chars` (the size of the text when it has fewer characters).
size_t offsetOf(std::string_view text, size_t chars);
// The first `chars` characters.
std::string_view left(std::string_view text, size_t chars);
// Lower-case form for comparisons that ignore case (ASCII, Latin-1 and Latin Extended-A).
std::string foldCase(std::string_view text);
// <0, 0, >0 comparing the case-folded forms.
int compareNoCase(std::string_view a, std::string_view b);
bool equalsNoCase(std::string_view a, std::string_view b);

// `text` safe to show on a terminal: control characters written as \xNN (line feeds kept unless
// `keepLineFeeds` is false), so that typed escape sequences cannot act on the terminal.
std::string printable(std::string_view text, bool keepLineFeeds = true);
// Whether `text` holds a control character (a byte below 32, or 127).
bool hasControl(std::string_view text);

// `text` with each maximal invalid subpart (a stray byte, an overlong form, a surrogate, a code point
// past U+10FFFF, a cut-off sequence) replaced by U+FFFD, as Unicode recommends; valid text is unchanged.
std::string toValidUtf8(std::string_view text);
// Whether toValidUtf8 would leave `text` as it is.
bool isValidUtf8(std::string_view text);

std::u16string toUtf16(std::string_view text);
std::string fromUtf16(std::u16string_view text);
// The UTF-8 of a Unicode scalar value (not a surrogate, at most U+10FFFF), appended to `out`.
void appendUtf8(std::string& out, char32_t c);

}  // namespace briskal::utf8
