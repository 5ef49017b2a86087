#pragma once
// The host's texts by number in one language, read from a catalogue file (data/messages/*.tsv):
// one "NUMBER<TAB>TEXT" a line, '#' comments, escapes \n \r \t \s \\, parameters %1 to %9.
// After a line "[captions]", lines "NUMBER<TAB>DEFAULT<TAB>TEXT" give the text of a caption whose
// number also stands for other texts, told apart by the caller's own default text. After a line
// "[screen]", lines "ITALIAN<TAB>TEXT" give the screen's own texts (captions of the forms' layouts
// and of their controls, written in Italian as the forms write them) in the catalogue's language.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/regional.h"
#include "common/value.h"

namespace briskal::hostkit {

class MessageCatalogue {
 public:
  MessageCatalogue() = default;

  // Throws briskal::Error: 53 when the file cannot be read, 321 naming the line of the first
  // malformed entry (no tab, a number that is not a positive integer, a repeated number or
  // caption, an unknown escape, an empty text, bytes that are not UTF-8).
  static MessageCatalogue load(const std::filesystem::path& file);
  // The same from text in memory; `origin` names it in error descriptions.
  static MessageCatalogue parse(std::string_view content, const std::string& origin);

  size_t size() const { return texts_.size(); }
  bool contains(int32_t number) const { return texts_.contains(number); }
  // Ascending.
  std::vector<int32_t> numbers() const;

  // The text of `number` with %1..%9 replaced by the parameters as the regional settings write
  // them (Null, Empty and missing parameters as ""); "[number]" for a number it does not hold.
  std::string text(int32_t number, const std::vector<Value>& parameters, const RegionalSettings& rs) const;
  // The captions section's text for `number` and the caller's `defaultText` when it has one,
  // otherwise text(number, ...).
  std::string text(int32_t number, std::string_view defaultText, const std::vector<Value>& parameters,
                   const RegionalSettings& rs) const;
  // A screen text in the catalogue's language; the Italian text itself when the catalogue has none.
  std::string screenText(std::string_view italian) const;

 private:
  std::map<int32_t, std::string> texts_;  // escapes already resolved, placeholders kept
  std::map<std::pair<int32_t, std::string>, std::string, std::less<>> captions_;  // by number and default
  std::map<std::string, std::string, std::less<>> screen_;                        // by Italian text
};

}  // namespace briskal::hostkit
