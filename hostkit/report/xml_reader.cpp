#include "hostkit/report/xml_reader.h"

#include <algorithm>
#include <charconv>

#include "common/utf8.h"
#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {
namespace {

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isXmlNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

// UTF-8 of a character reference; false for a code point XML does not allow.
bool appendCodePoint(std::string& out, uint32_t c) {
  if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  utf8::appendUtf8(out, c);
  return true;
}

}  // namespace

const std::string* XmlElement::attribute(std::string_view attributeName) const {
  const auto found =
      std::ranges::find(attributes, attributeName, &std::pair<std::string, std::string>::first);
  return found == attributes.end() ? nullptr : &found->second;
}

XmlReader::XmlReader(std::string_view text, std::string name) : text_(text), name_(std::move(name)) {
  if (text_.starts_with("\xEF\xBB\xBF")) at_ = 3;
}

void XmlReader::fail(const std::string& message) const {
  throwReportError(name_ + ":" + std::to_string(line_) + ": " + message);
}

void XmlReader::moveTo(size_t end) {
  line_ += static_cast<int>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(at_),
                                       text_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
  at_ = end;
}

void XmlReader::skipPast(std::string_view terminator, const char* what) {
  const size_t end = text_.find(terminator, at_);
  if (end == std::string_view::npos) fail(std::string("unterminated ") + what);
  moveTo(end + terminator.size());
}

void XmlReader::skipSpaces() {
  for (; at_ < text_.size() && isXmlSpace(text_[at_]); ++at_)
    if (text_[at_] == '\n') ++line_;
}

std::string XmlReader::readName() {
  const size_t start = at_;
  while (at_ < text_.size() && isXmlNameChar(text_[at_])) ++at_;
  if (at_ == start) fail("expected a name");
  return std::string(text_.substr(start, at_ - start));
}

std::string XmlReader::readValue() {
  if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) fail("expected a quoted value");
  const char quote = text_[at_++];
  std::string value;
  while (true) {
    if (at_ >= text_.size()) fail("unterminated value");
    const char c = text_[at_];
    if (c == quote) break;
    if (c == '<') fail("'<' inside a value");
    if (c == '\n') ++line_;
    if (c != '&') {
      value += c;
      ++at_;
      continue;
    }
    const size_t end = text_.find(';', at_);
    if (end == std::string_view::npos || end - at_ > 12) fail("unterminated entity");
    const std::string_view entity = text_.substr(at_ + 1, end - at_ - 1);
    if (entity == "amp") value += '&';
    else if (entity == "lt") value += '<';
    else if (entity == "gt") value += '>';
    else if (entity == "quot") value += '"';
    else if (entity == "apos") value += '\'';
    else {
      const bool hex = entity.starts_with("#x");
      const size_t digits = hex ? 2 : 1;
      uint32_t code = 0;
      const char* first = entity.data() + std::min(digits, entity.size());
      const char* last = entity.data() + entity.size();
      const auto [ptr, ec] = std::from_chars(first, last, code, hex ? 16 : 10);
      if (!entity.starts_with('#') || first == last || ec != std::errc() || ptr != last ||
          !appendCodePoint(value, code))
        fail("unknown entity '&" + std::string(entity) + ";'");
    }
    at_ = end + 1;
  }
  ++at_;
  return value;
}

XmlReader::Event XmlReader::next() {
  if (pendingEnd_) {
    pendingEnd_ = false;
    element_.attributes.clear();
    return Event::End;
  }
  while (true) {
    const size_t tag = text_.find('<', at_);
    moveTo(tag == std::string_view::npos ? text_.size() : tag);
    if (tag == std::string_view::npos) {
      if (!open_.empty()) fail("element '" + open_.back() + "' is not closed");
      if (!seenRoot_) fail("no element");
      return Event::Done;
    }
    if (startsWith("<!--")) {
      skipPast("-->", "comment");
    } else if (startsWith("<![CDATA[")) {
      skipPast("]]>", "CDATA section");
    } else if (startsWith("<?")) {
      skipPast("?>", "processing instruction");
    } else if (startsWith("<!")) {
      skipPast(">", "declaration");
    } else {
      return readTag();
    }
  }
}

XmlReader::Event XmlReader::readTag() {
  ++at_;
  const bool closing = at_ < text_.size() && text_[at_] == '/';
  if (closing) ++at_;
  element_ = XmlElement{readName(), {}, line_};
  if (closing) {
    skipSpaces();
    if (at_ >= text_.size() || text_[at_] != '>') fail("expected '>'");
    ++at_;
    if (open_.empty() || open_.back() != element_.name)
      fail("'" + element_.name + "' closed but " +
           (open_.empty() ? std::string("nothing is open") : "'" + open_.back() + "' is open"));
    open_.pop_back();
    return Event::End;
  }
  if (open_.empty() && seenRoot_) fail("a second root element '" + element_.name + "'");
  seenRoot_ = true;
  while (true) {
    const size_t before = at_;
    skipSpaces();
    if (at_ >= text_.size()) fail("unterminated tag '" + element_.name + "'");
    if (text_[at_] == '>') {
      ++at_;
      open_.push_back(element_.name);
      return Event::Start;
    }
    if (startsWith("/>")) {
      at_ += 2;
      pendingEnd_ = true;
      return Event::Start;
    }
    if (at_ == before) fail("expected a space before an attribute");
    std::string attributeName = readName();
    skipSpaces();
    if (at_ >= text_.size() || text_[at_] != '=') fail("expected '=' after '" + attributeName + "'");
    ++at_;
    skipSpaces();
    std::string value = readValue();
    if (element_.attribute(attributeName)) fail("attribute '" + attributeName + "' given twice");
    element_.attributes.emplace_back(std::move(attributeName), std::move(value));
  }
}

}  // namespace briskal::hostkit::report
