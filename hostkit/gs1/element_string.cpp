#include "hostkit/gs1/element_string.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <utility>

#include "common/error.h"

namespace briskal::hostkit::gs1 {
namespace {

enum class Kind {
  Digits,                // N: a fixed number of digits, or up to a number
  Characters,            // X: characters of the GS1 set, up to a number
  Date,                  // N6 YYMMDD; DD 00 stands for the month's end
  CountryThenCharacters  // N3 then X: a numeric country code, then characters of the GS1 set
};

struct AiFormat {
  std::string_view ai;
  Kind kind;
  size_t minLength;  // of the data, without the AI
  size_t maxLength;
  bool checkDigit;  // the data ends in a mod-10 check digit
};

// clang-format off
constexpr std::array<AiFormat, 52> kAiFormats{{
    {"00", Kind::Digits, 18, 18, true},       // SSCC
    {"01", Kind::Digits, 14, 14, true},       // GTIN
    {"02", Kind::Digits, 14, 14, true},       // GTIN of the trade items contained
    {"10", Kind::Characters, 1, 20, false},   // batch or lot
    {"11", Kind::Date, 6, 6, false},          // production date
    {"12", Kind::Date, 6, 6, false},          // due date
    {"13", Kind::Date, 6, 6, false},          // packaging date
    {"15", Kind::Date, 6, 6, false},          // best before
    {"16", Kind::Date, 6, 6, false},          // sell by
    {"17", Kind::Date, 6, 6, false},          // expiration
    {"20", Kind::Digits, 2, 2, false},        // variant
    {"21", Kind::Characters, 1, 20, false},   // serial number
    {"22", Kind::Characters, 1, 20, false},   // consumer product variant
    {"30", Kind::Digits, 1, 8, false},        // variable count
    {"37", Kind::Digits, 1, 8, false},        // count of trade items contained
    {"240", Kind::Characters, 1, 30, false},  // additional product identification
    {"241", Kind::Characters, 1, 30, false},  // the customer's own number for the item
    {"250", Kind::Characters, 1, 30, false},  // secondary serial number
    {"251", Kind::Characters, 1, 30, false},  // reference to source entity
    {"400", Kind::Characters, 1, 30, false},  // customer's purchase order
    {"401", Kind::Characters, 1, 30, false},  // GINC
    {"402", Kind::Digits, 17, 17, true},      // GSIN
    {"403", Kind::Characters, 1, 30, false},  // routing code
    {"410", Kind::Digits, 13, 13, true},      // ship to GLN
    {"411", Kind::Digits, 13, 13, true},      // bill to GLN
    {"412", Kind::Digits, 13, 13, true},      // purchased from GLN
    {"413", Kind::Digits, 13, 13, true},      // ship for GLN
    {"414", Kind::Digits, 13, 13, true},      // GLN of a physical location
    {"415", Kind::Digits, 13, 13, true},      // GLN of the invoicing party
    {"420", Kind::Characters, 1, 20, false},  // ship to postal code
    {"421", Kind::CountryThenCharacters, 4, 12, false},  // ship to country and postal code
    {"422", Kind::Digits, 3, 3, false},       // country of origin
    // Net and gross weight in kilograms; the AI's last digit is the number of decimals.
    {"3100", Kind::Digits, 6, 6, false}, {"3101", Kind::Digits, 6, 6, false},
    {"3102", Kind::Digits, 6, 6, false}, {"3103", Kind::Digits, 6, 6, false},
    {"3104", Kind::Digits, 6, 6, false}, {"3105", Kind::Digits, 6, 6, false},
    {"3300", Kind::Digits, 6, 6, false}, {"3301", Kind::Digits, 6, 6, false},
    {"3302", Kind::Digits, 6, 6, false}, {"3303", Kind::Digits, 6, 6, false},
    {"3304", Kind::Digits, 6, 6, false}, {"3305", Kind::Digits, 6, 6, false},
}};
// clang-format on

// The AIs whose length, AI included, is predefined by their first two digits: a field of one of
// them needs no separator after it.
constexpr std::array<std::pair<std::string_view, size_t>, 22> kPredefinedLengths{{
    {"00", 20}, {"01", 16}, {"02", 16}, {"03", 16}, {"04", 18}, {"11", 8},  {"12", 8}, {"13", 8},
    {"14", 8},  {"15", 8},  {"16", 8},  {"17", 8},  {"18", 8},  {"19", 8},  {"20", 4}, {"31", 10},
    {"32", 10}, {"33", 10}, {"34", 10}, {"35", 10}, {"36", 10}, {"41", 16},
}};

// An AI needs one of these beside it.
struct Requirement {
  std::string_view ai;
  std::string_view needs;
  std::string_view orNeeds;  // empty when only one will do
};

constexpr std::array<Requirement, 10> kRequirements{{
    {"02", "37", ""},
    {"37", "02", ""},
    {"10", "01", "02"},
    {"11", "01", "02"},
    {"13", "01", "02"},
    {"15", "01", "02"},
    {"16", "01", "02"},
    {"17", "01", "02"},
    {"21", "01", ""},
    {"30", "01", "02"},
}};

[[noreturn]] void refuse(const std::string& message) { throw Error(err::kInvalidArgument, "GS1", message); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The GS1 AI encodable character set 82.
bool isGs1Character(char c) {
  constexpr std::string_view kSymbols = "!\"%&'()*+,-./:;<=>?_";
  return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         kSymbols.find(c) != std::string_view::npos;
}

std::string shown(char c) {
  if (c >= 0x20 && c < 0x7F) return fmt::format("'{}'", c);
  return fmt::format("byte 0x{:02X}", static_cast<unsigned char>(c));
}

int twoDigits(std::string_view text) { return (text[0] - '0') * 10 + (text[1] - '0'); }

// YYMMDD with DD 00 for the month's end. Within GS1's century window around now a year is a leap
// year exactly when YY divides by 4 (2000 was one).
bool isDate(std::string_view yymmdd) {
  constexpr std::array<int, 12> kDaysInMonth{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int year = twoDigits(yymmdd);
  const int month = twoDigits(yymmdd.substr(2));
  const int day = twoDigits(yymmdd.substr(4));
  if (month < 1 || month > 12) return false;
  const int lastDay = month == 2 && year % 4 == 0 ? 29 : kDaysInMonth[month - 1];
  return day <= lastDay;
}

std::string lengthRule(size_t minLength, size_t maxLength, std::string_view unit) {
  if (minLength == maxLength) return fmt::format("{} {}", maxLength, unit);
  return fmt::format("{} to {} {}", minLength, maxLength, unit);
}

const AiFormat* knownAi(std::string_view ai) {
  const auto found =
      std::find_if(kAiFormats.begin(), kAiFormats.end(), [&](const AiFormat& f) { return f.ai == ai; });
  return found == kAiFormats.end() ? nullptr : &*found;
}

const AiFormat& knownAiOrRefuse(std::string_view ai) {
  const AiFormat* format = knownAi(ai);
  if (format == nullptr) refuse(fmt::format("({}) is not an application identifier this system knows", ai));
  return *format;
}

// The data's length when the AI's first two digits predefine it, else 0.
size_t predefinedDataLength(std::string_view ai) {
  for (const auto& [prefix, total] : kPredefinedLengths) {
    if (ai.substr(0, 2) == prefix) return total - ai.size();
  }
  return 0;
}

void requireCharacters(const AiFormat& format, std::string_view data) {
  for (size_t i = 0; i < data.size(); ++i) {
    const char c = data[i];
    const bool digitsOnly =
        format.kind != Kind::Characters && (format.kind != Kind::CountryThenCharacters || i < 3);
    if (digitsOnly && !isDigit(c)) {
      const std::string_view rule = format.kind == Kind::CountryThenCharacters
                                        ? "the first 3 are a numeric country code"
                                        : "the data is digits only";
      refuse(fmt::format("({}): {} is not allowed: {}", format.ai, shown(c), rule));
    }
    if (!isGs1Character(c)) {
      refuse(fmt::format("({}): {} is not allowed: GS1 data uses digits, letters and !\"%&'()*+,-./:;<=>?_",
                         format.ai, shown(c)));
    }
  }
}

// The data checked against the AI's format, with its check digit appended when it was left out
// under CheckDigits::Compute.
std::string checkedData(const AiFormat& format, std::string_view data, CheckDigits checkDigits) {
  if (data.empty()) refuse(fmt::format("({}): the data is missing", format.ai));
  requireCharacters(format, data);
  const std::string_view unit =
      format.kind == Kind::Characters || format.kind == Kind::CountryThenCharacters ? "characters" : "digits";
  std::string completed(data);
  if (format.checkDigit && checkDigits == CheckDigits::Compute) {
    if (data.size() + 1 == format.maxLength) {
      completed += checkDigit(data);
    } else if (data.size() != format.maxLength) {
      refuse(fmt::format("({}): {} digits without the check digit or {} with it, not {}", format.ai,
                         format.maxLength - 1, format.maxLength, data.size()));
    }
  }
  if (completed.size() < format.minLength || completed.size() > format.maxLength) {
    refuse(fmt::format("({}): {}, not {}", format.ai, lengthRule(format.minLength, format.maxLength, unit),
                       data.size()));
  }
  if (format.checkDigit) {
    const std::string_view key(completed);
    const char expected = checkDigit(key.substr(0, key.size() - 1));
    if (key.back() != expected) {
      refuse(fmt::format("({}): the check digit is {}, it must be {}", format.ai, key.back(), expected));
    }
  }
  if (format.kind == Kind::Date && !isDate(completed)) {
    refuse(fmt::format("({}): {} is not a date (YYMMDD)", format.ai, completed));
  }
  return completed;
}

bool has(const std::vector<Element>& elements, std::string_view ai) {
  return std::any_of(elements.begin(), elements.end(), [&](const Element& e) { return e.ai == ai; });
}

void checkPairs(const std::vector<Element>& elements) {
  if (elements.empty()) refuse("The element string is empty");
  for (size_t i = 0; i < elements.size(); ++i) {
    for (size_t j = i + 1; j < elements.size(); ++j) {
      if (elements[i].ai == elements[j].ai) {
        refuse(fmt::format("({}) appears twice: an element string carries each AI once", elements[i].ai));
      }
    }
  }
  if (has(elements, "01") && has(elements, "02")) {
    refuse("(01) and (02) cannot appear together: a unit either is a trade item or contains them");
  }
  for (const Requirement& r : kRequirements) {
    if (!has(elements, r.ai) || has(elements, r.needs) || (!r.orNeeds.empty() && has(elements, r.orNeeds))) {
      continue;
    }
    if (r.orNeeds.empty()) {
      refuse(fmt::format("({}) requires ({}) in the same element string", r.ai, r.needs));
    }
    refuse(fmt::format("({}) requires ({}) or ({}) in the same element string", r.ai, r.needs, r.orNeeds));
  }
}

void checkElements(const std::vector<Element>& elements) {
  for (const Element& e : elements) checkedData(knownAiOrRefuse(e.ai), e.data, CheckDigits::Verify);
  checkPairs(elements);
}

// The known AI that `text` starts with. An unknown one is named by its first characters that no
// known AI starts with.
const AiFormat& aiAtStart(std::string_view text) {
  if (!isDigit(text.front())) {
    const std::string what = text.front() == kGroupSeparator ? "A group separator" : shown(text.front());
    refuse(fmt::format("{} stands where an AI should begin", what));
  }
  for (size_t length = 2; length <= 4; ++length) {
    const AiFormat* format = knownAi(text.substr(0, length));
    if (format != nullptr) return *format;
  }
  size_t length = 2;
  const auto startsAnAi = [&](const AiFormat& f) { return f.ai.substr(0, length) == text.substr(0, length); };
  while (length < 4 && length < text.size() &&
         std::any_of(kAiFormats.begin(), kAiFormats.end(), startsAnAi)) {
    ++length;
  }
  return knownAiOrRefuse(text.substr(0, length));
}

}  // namespace

std::vector<Element> parseBracketed(std::string_view text, CheckDigits checkDigits) {
  if (text.empty()) refuse("The element string is empty");
  if (text.front() != '(') refuse("The element string must begin with an AI in brackets, such as (01)");
  std::vector<Element> elements;
  size_t at = 0;
  while (at < text.size()) {
    const size_t close = text.find(')', at);
    if (close == std::string_view::npos) {
      refuse(fmt::format("The bracket of {} is not closed", text.substr(at)));
    }
    const std::string_view ai = text.substr(at + 1, close - at - 1);
    if (ai.empty()) refuse("Empty brackets stand where an AI should be");
    const AiFormat& format = knownAiOrRefuse(ai);
    std::string data;
    for (at = close + 1; at < text.size() && text[at] != '('; ++at) {
      if (text[at] == '\\' && at + 1 < text.size() && (text[at + 1] == '(' || text[at + 1] == '\\')) ++at;
      data += text[at];
    }
    elements.push_back({std::string(ai), checkedData(format, data, checkDigits)});
  }
  checkPairs(elements);
  return elements;
}

std::vector<Element> parseEncoded(std::string_view data) {
  std::vector<Element> elements;
  size_t at = 0;
  while (at < data.size()) {
    const AiFormat& format = aiAtStart(data.substr(at));
    at += format.ai.size();
    size_t end = std::min(data.find(kGroupSeparator, at), data.size());
    const size_t predefined = predefinedDataLength(format.ai);
    if (predefined != 0) end = std::min(end, at + predefined);
    const std::string_view field = data.substr(at, end - at);
    elements.push_back({std::string(format.ai), checkedData(format, field, CheckDigits::Verify)});
    at = end < data.size() && data[end] == kGroupSeparator ? end + 1 : end;
  }
  checkPairs(elements);
  return elements;
}

std::string bracketed(const std::vector<Element>& elements) {
  checkElements(elements);
  std::string text;
  for (const Element& e : elements) {
    text += '(' + e.ai + ')';
    for (const char c : e.data) {
      if (c == '(' || c == '\\') text += '\\';
      text += c;
    }
  }
  return text;
}

std::string encoded(const std::vector<Element>& elements) {
  checkElements(elements);
  std::string data;
  for (size_t i = 0; i < elements.size(); ++i) {
    data += elements[i].ai + elements[i].data;
    if (i + 1 < elements.size() && predefinedDataLength(elements[i].ai) == 0) data += kGroupSeparator;
  }
  return data;
}

char checkDigit(std::string_view digits) {
  int sum = 0;
  int weight = 3;
  for (auto c = digits.rbegin(); c != digits.rend(); ++c) {
    if (!isDigit(*c)) refuse(fmt::format("A check digit is computed from digits, not from {}", shown(*c)));
    sum += (*c - '0') * weight;
    weight = 4 - weight;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::string sscc(int extensionDigit, std::string_view companyPrefix, uint64_t serialReference) {
  if (extensionDigit < 0 || extensionDigit > 9) {
    refuse(fmt::format("An SSCC's extension digit is 0 to 9, not {}", extensionDigit));
  }
  if (!std::all_of(companyPrefix.begin(), companyPrefix.end(), isDigit)) {
    refuse(fmt::format("The company prefix {} is not all digits", companyPrefix));
  }
  const uint64_t largest = largestSerialReference(companyPrefix.size());
  if (serialReference > largest) {
    refuse(fmt::format(
        "The serial reference {} does not fit an SSCC beside a {}-digit company prefix: at most {}",
        serialReference, companyPrefix.size(), largest));
  }
  const std::string digits =
      fmt::format("{}{}{:0{}}", extensionDigit, companyPrefix, serialReference, 16 - companyPrefix.size());
  return digits + checkDigit(digits);
}

uint64_t largestSerialReference(size_t prefixDigits) {
  if (prefixDigits < 7 || prefixDigits > 10) {
    refuse(fmt::format("A GS1 company prefix has 7 to 10 digits, not {}", prefixDigits));
  }
  uint64_t limit = 1;
  for (size_t i = prefixDigits; i < 16; ++i) limit *= 10;
  return limit - 1;
}

}  // namespace briskal::hostkit::gs1
