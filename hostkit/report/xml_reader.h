#pragma once
// A reader of the small XML files of the label stock catalogue: the elements and their attributes
// in document order, which is all the catalogue needs. Text, comments, declarations and processing
// instructions are skipped. Whatever is not well formed throws briskal::Error naming the file and
// the line; the reader never reads past the text it was given.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace briskal::hostkit::report {

struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // entities already replaced
  int line = 0;

  // The attribute's value, or nullptr when the element does not have it.
  const std::string* attribute(std::string_view attributeName) const;
};

class XmlReader {
 public:
  enum class Event { Start, End, Done };
  // `name` is what errors start with; `text` must outlive the reader.
  XmlReader(std::string_view text, std::string name);

  // Start: element() is the element just opened; End: element() is the one just closed, named and
  // without attributes (an empty element gives Start then End); Done: the document ended, all its
  // elements closed.
  Event next();
  const XmlElement& element() const { return element_; }

 private:
  [[noreturn]] void fail(const std::string& message) const;
  bool startsWith(std::string_view prefix) const { return text_.substr(at_).starts_with(prefix); }
  void moveTo(size_t end);
  // Moves past `terminator`, counting lines; fails when the text ends first.
  void skipPast(std::string_view terminator, const char* what);
  void skipSpaces();
  std::string readName();
  std::string readValue();
  Event readTag();

  std::string_view text_;
  std::string name_;
  size_t at_ = 0;
  int line_ = 1;
  XmlElement element_;
  std::vector<std::string> open_;
  bool pendingEnd_ = false;  // an empty element's End comes after its Start
  bool seenRoot_ = false;
};

}  // namespace briskal::hostkit::report
