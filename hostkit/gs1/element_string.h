#pragma once
// GS1 element strings: application identifiers (AIs) and their data, written by people with the
// AIs in brackets, "(01)09521234543213(10)LOT-7", and carried by a barcode after a leading FNC1,
// with a group separator (ASCII 29, which readers give for FNC1) ending each field whose length
// GS1 does not predefine, but the last. Each AI's length, character set, check digit and date are
// checked by GS1's rules, and so are the pairs of AIs that must, or must not, appear together.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace briskal::hostkit::gs1 {

inline constexpr char kGroupSeparator = '\x1d';

struct Element {
  std::string ai;    // "00", "10", "3103"...
  std::string data;  // with its check digit, where the AI has one
  friend bool operator==(const Element&, const Element&) = default;
};

// Whether the keys that end in a check digit (SSCC, GTIN, GLN...) are written with it and checked,
// or written without it and completed.
enum class CheckDigits { Verify, Compute };

// Both throw briskal::Error (source "GS1", invalid argument) naming the AI and the rule broken,
// such as "(02): the check digit is 8, it must be 2". In the bracketed form a '(' in the data is
// written "\(" and a '\' "\\".
std::vector<Element> parseBracketed(std::string_view text, CheckDigits checkDigits = CheckDigits::Verify);
// What a barcode carries after its leading FNC1.
std::vector<Element> parseEncoded(std::string_view data);

// Both check the elements as parseBracketed does (CheckDigits::Verify) and throw the same errors.
std::string bracketed(const std::vector<Element>& elements);
std::string encoded(const std::vector<Element>& elements);

// The mod-10 check digit of a GS1 key given without it: digits weighted 3, 1, 3... from the right.
char checkDigit(std::string_view digits);

// An SSCC of 18 digits: the extension digit (0-9), the company prefix (7 to 10 digits), the serial
// reference filling the 16 digits with leading zeros, and the check digit. Throws briskal::Error
// when the serial reference does not fit beside the prefix.
std::string sscc(int extensionDigit, std::string_view companyPrefix, uint64_t serialReference);

// The largest serial reference an SSCC with a company prefix of `prefixDigits` digits can hold.
uint64_t largestSerialReference(size_t prefixDigits);

}  // namespace briskal::hostkit::gs1
