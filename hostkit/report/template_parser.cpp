#include "hostkit/report/template_parser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "hostkit/report/composed_text.h"

namespace briskal::hostkit::report {
namespace {

struct Attribute {
  std::string name;
  int column = 0;
  std::optional<std::string> value;  // none for a bare flag
  int valueColumn = 0;
};

struct Statement {
  std::string keyword;
  int line = 0;
  int column = 0;
  std::vector<Attribute> attributes;
};

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isNameChar(char c) { return isLetter(c) || (c >= '0' && c <= '9') || c == '-'; }
bool isSpace(char c) { return c == ' ' || c == '\t'; }

bool isIdentifier(std::string_view text) {
  if (text.empty() || !isLetter(text.front())) return false;
  return std::ranges::all_of(text, [](char c) { return isLetter(c) || (c >= '0' && c <= '9'); });
}

class Parser {
 public:
  Parser(const std::string& name, std::filesystem::path folder) : name_(name), folder_(std::move(folder)) {
    result_.name = name;
    result_.folder = folder_;
  }

  ReportTemplate parse(std::string_view text) {
    int lineNumber = 0;
    while (!text.empty() || lineNumber == 0) {
      const size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ++lineNumber;
      if (std::optional<Statement> statement = scan(line, lineNumber)) apply(*statement);
    }
    if (!seenPage_) fail(1, 1, "the template has no 'page' statement");
    if (std::ranges::none_of(result_.sections,
                             [](const Section& s) { return s.kind == SectionKind::Detail; }))
      fail(lineNumber, 1, "the template has no detail section");
    return std::move(result_);
  }

 private:
  [[noreturn]] void fail(int line, int column, const std::string& message) const {
    throwReportError(name_ + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message);
  }
  [[noreturn]] void fail(const Statement& s, const std::string& message) const {
    fail(s.line, s.column, message);
  }
  [[noreturn]] void fail(const Statement& s, const Attribute& a, const std::string& message) const {
    fail(s.line, a.column, message);
  }
  [[noreturn]] void failValue(const Statement& s, const Attribute& a, const std::string& message) const {
    fail(s.line, a.valueColumn, message);
  }

  // Splits one line into its statement; the cursor never moves past a character it rejects, so
  // the column of an error is the column of the offending character.
  std::optional<Statement> scan(std::string_view line, int lineNumber) const {
    size_t i = 0;
    const auto column = [&](size_t at) {
      return 1 + static_cast<int>(
                     std::count_if(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(at),
                                   [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    };
    const auto skipSpaces = [&] {
      while (i < line.size() && isSpace(line[i])) ++i;
    };
    const auto readName = [&](const char* what) {
      if (i >= line.size() || !isLetter(line[i]))
        fail(lineNumber, column(i), std::string("expected ") + what);
      const size_t start = i;
      while (i < line.size() && isNameChar(line[i])) ++i;
      return std::string(line.substr(start, i - start));
    };

    skipSpaces();
    if (i >= line.size() || line[i] == '#') return std::nullopt;
    Statement statement;
    statement.line = lineNumber;
    statement.column = column(i);
    statement.keyword = readName("a statement name");
    while (true) {
      if (i >= line.size()) break;
      if (!isSpace(line[i])) fail(lineNumber, column(i), "expected a space before the next attribute");
      skipSpaces();
      if (i >= line.size() || line[i] == '#') break;
      Attribute attribute;
      attribute.column = column(i);
      attribute.name = readName("an attribute name");
      if (i < line.size() && line[i] == '=') {
        ++i;
        attribute.valueColumn = column(i);
        attribute.value = (i < line.size() && line[i] == '"') ? readString(line, i, lineNumber, column)
                                                              : readBare(line, i, lineNumber, column);
      }
      const bool repeated = std::ranges::any_of(statement.attributes,
                                                [&](const Attribute& a) { return a.name == attribute.name; });
      if (repeated) fail(lineNumber, attribute.column, "attribute '" + attribute.name + "' given twice");
      statement.attributes.push_back(std::move(attribute));
    }
    return statement;
  }

  template <typename Column>
  std::string readString(std::string_view line, size_t& i, int lineNumber, const Column& column) const {
    const size_t open = i++;
    std::string value;
    while (i < line.size() && line[i] != '"') {
      if (line[i] == '\\') {
        if (i + 1 >= line.size()) break;
        switch (line[i + 1]) {
          case '"': value += '"'; break;
          case '\\': value += '\\'; break;
          case 'n': value += '\n'; break;
          case 'r': value += '\r'; break;
          case 't': value += '\t'; break;
          default: fail(lineNumber, column(i), std::string("unknown escape '\\") + line[i + 1] + "'");
        }
        i += 2;
      } else {
        value += line[i++];
      }
    }
    if (i >= line.size()) fail(lineNumber, column(open), "unterminated string");
    ++i;
    return value;
  }

  template <typename Column>
  std::string readBare(std::string_view line, size_t& i, int lineNumber, const Column& column) const {
    const size_t start = i;
    while (i < line.size() && !isSpace(line[i])) {
      if (line[i] == '"') fail(lineNumber, column(i), "unexpected '\"' inside a value");
      ++i;
    }
    if (i == start) fail(lineNumber, column(i), "expected a value after '='");
    return std::string(line.substr(start, i - start));
  }

  // Reads the attributes of one statement, rejecting names the statement does not know before
  // anything else, since a misspelt name is the likelier cause of a missing one.
  class Attributes {
   public:
    Attributes(const Parser& parser, const Statement& statement,
               std::initializer_list<std::string_view> known)
        : parser_(parser), statement_(statement) {
      for (const Attribute& a : statement.attributes)
        if (std::ranges::find(known, a.name) == known.end())
          parser.fail(statement, a, "unknown attribute '" + a.name + "'");
    }

    const Attribute* find(std::string_view name) const {
      const auto found = std::ranges::find(statement_.attributes, name, &Attribute::name);
      return found == statement_.attributes.end() ? nullptr : &*found;
    }

    std::string text(std::string_view name, std::string fallback) const {
      const Attribute* a = find(name);
      return a ? valueOf(*a) : std::move(fallback);
    }

    std::string requiredText(std::string_view name) const { return valueOf(required(name)); }

    double number(std::string_view name, double fallback, bool positive = false) const {
      const Attribute* a = find(name);
      return a ? numberOf(*a, positive) : fallback;
    }

    double requiredNumber(std::string_view name, bool positive = false) const {
      return numberOf(required(name), positive);
    }

    bool flag(std::string_view name) const {
      const Attribute* a = find(name);
      if (!a || !a->value) return a != nullptr;
      if (*a->value == "yes") return true;
      if (*a->value == "no") return false;
      parser_.failValue(statement_, *a, "expected yes or no for '" + a->name + "'");
    }

    // The index in `choices` of the attribute's value, or `fallback` when it is absent.
    size_t choice(std::string_view name, std::initializer_list<std::string_view> choices,
                  size_t fallback) const {
      const Attribute* a = find(name);
      if (!a) return fallback;
      const std::string value = valueOf(*a);
      const auto found = std::ranges::find(choices, value);
      if (found != choices.end()) return static_cast<size_t>(std::distance(choices.begin(), found));
      std::string list;
      for (std::string_view c : choices) list += (list.empty() ? "" : ", ") + std::string(c);
      parser_.failValue(statement_, *a, "'" + value + "' is not one of " + list);
    }

    const Attribute& required(std::string_view name) const {
      const Attribute* a = find(name);
      if (!a) parser_.fail(statement_, "missing attribute '" + std::string(name) + "'");
      return *a;
    }

    std::string valueOf(const Attribute& a) const {
      if (!a.value) parser_.fail(statement_, a, "attribute '" + a.name + "' needs a value");
      return *a.value;
    }

   private:
    double numberOf(const Attribute& a, bool positive) const {
      const std::string value = valueOf(a);
      double number = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
      if (ec != std::errc() || end != value.data() + value.size() || !std::isfinite(number))
        parser_.failValue(statement_, a, "expected a number for '" + a.name + "'");
      if (number < 0) parser_.failValue(statement_, a, "'" + a.name + "' must not be negative");
      if (positive && number == 0)
        parser_.failValue(statement_, a, "'" + a.name + "' must be greater than zero");
      return number;
    }

    const Parser& parser_;
    const Statement& statement_;
  };

  void apply(const Statement& s) {
    if (s.keyword == "page") return page(s);
    if (!seenPage_) fail(s, "the template must start with a 'page' statement");
    if (s.keyword == "formula") return formula(s);
    if (s.keyword == "section") return section(s);
    if (s.keyword == "text" || s.keyword == "barcode" || s.keyword == "line" || s.keyword == "box" ||
        s.keyword == "image") {
      if (result_.sections.empty()) fail(s, "'" + s.keyword + "' must follow a section");
      result_.sections.back().items.push_back(item(s));
      return;
    }
    fail(s, "unknown statement '" + s.keyword + "'");
  }

  void page(const Statement& s) {
    if (seenPage_) fail(s, "'page' given twice");
    seenPage_ = true;
    const Attributes a(
        *this, s,
        {"kind", "width", "height", "margin-top", "margin-bottom", "margin-left", "margin-right", "stock"});
    PageSetup& p = result_.page;
    p.at = {s.line, s.column};
    p.kind = a.choice("kind", {"report", "label"}, 0) == 0 ? PageKind::Report : PageKind::Label;
    if (p.kind == PageKind::Label) {
      p.width = a.requiredNumber("width", true);
      p.height = a.requiredNumber("height", true);
    } else {
      p.width = a.number("width", 210, true);
      p.height = a.number("height", 297, true);
    }
    p.marginTop = a.number("margin-top", 0);
    p.marginBottom = a.number("margin-bottom", 0);
    p.marginLeft = a.number("margin-left", 0);
    p.marginRight = a.number("margin-right", 0);
    if (p.marginLeft + p.marginRight >= p.width || p.marginTop + p.marginBottom >= p.height)
      fail(s, "the margins leave no room on the page");
    // Which stock it names is known only to the catalogue of the machine that prints.
    if (const Attribute* stock = a.find("stock")) {
      p.stock = a.valueOf(*stock);
      if (p.kind != PageKind::Label) fail(s, *stock, "'stock' applies to label pages");
      if (p.stock.find_first_not_of(" \t") == std::string::npos)
        failValue(s, *stock, "the stock name is empty");
    }
  }

  void formula(const Statement& s) {
    const Attributes a(*this, s, {"name", "text"});
    const Attribute& nameAttribute = a.required("name");
    Formula f{a.valueOf(nameAttribute), a.text("text", ""), {s.line, s.column}};
    if (!isIdentifier(f.name)) failValue(s, nameAttribute, "'" + f.name + "' is not a valid formula name");
    if (result_.findFormula(f.name)) failValue(s, nameAttribute, "formula '" + f.name + "' declared twice");
    result_.formulas.push_back(std::move(f));
  }

  void section(const Statement& s) {
    const Attributes a(*this, s, {"name", "kind", "height"});
    const Attribute& nameAttribute = a.required("name");
    Section section;
    section.name = a.valueOf(nameAttribute);
    section.at = {s.line, s.column};
    if (!isIdentifier(section.name))
      failValue(s, nameAttribute, "'" + section.name + "' is not a valid section name");
    if (result_.findSection(section.name))
      failValue(s, nameAttribute, "section '" + section.name + "' declared twice");
    section.kind = a.choice("kind", {"header", "detail"}, 1) == 0 ? SectionKind::Header : SectionKind::Detail;
    section.height = a.requiredNumber("height");
    if (section.kind == SectionKind::Header && !result_.sections.empty())
      fail(s, "the header section must come before the other sections");
    result_.sections.push_back(std::move(section));
  }

  TemplateItem item(const Statement& s) const {
    const SourcePos at{s.line, s.column};
    if (s.keyword == "text") {
      const Attributes a(*this, s,
                         {"x",         "y",           "w",        "h",      "value",  "field",    "formula",
                          "caption",   "compose",     "font",     "size",   "bold",   "align",    "format",
                          "multiline", "line-height", "collapse", "italic", "rotate", "shrink-to"});
      TextItem t;
      t.x = a.requiredNumber("x");
      t.y = a.requiredNumber("y");
      t.width = a.requiredNumber("w", true);
      t.height = a.requiredNumber("h", true);
      t.source = source(s, a);
      t.font = a.text("font", t.font);
      if (t.font.empty()) failValue(s, *a.find("font"), "the font name is empty");
      t.size = a.number("size", t.size, true);
      t.bold = a.flag("bold");
      t.align = static_cast<Align>(a.choice("align", {"left", "center", "right"}, 0));
      t.format = a.text("format", "");
      t.multiline = a.flag("multiline");
      t.lineHeight = a.number("line-height", 0, true);
      t.collapse = a.flag("collapse");
      t.italic = a.flag("italic");
      t.rotation = rotation(s, a);
      if (t.rotation != 0 && t.multiline) fail(s, *a.find("rotate"), "a multi-line text cannot be turned");
      t.shrinkTo = a.number("shrink-to", 0, true);
      if (a.find("shrink-to") && t.shrinkTo > t.size)
        failValue(s, *a.find("shrink-to"), "'shrink-to' must not be larger than the text's size");
      t.at = at;
      return t;
    }
    if (s.keyword == "barcode") {
      const Attributes a(*this, s,
                         {"x", "y", "w", "h", "type", "value", "field", "formula", "caption", "compose",
                          "show-text", "rotate", "check-digits"});
      BarcodeItem b;
      b.x = a.requiredNumber("x");
      b.y = a.requiredNumber("y");
      b.width = a.requiredNumber("w", true);
      b.height = a.requiredNumber("h", true);
      a.required("type");
      b.symbology = static_cast<Symbology>(a.choice(
          "type", {"code128", "ean13", "qrcode", "datamatrix", "gs1-128", "gs1-datamatrix", "gs1-qr"}, 0));
      b.source = source(s, a);
      b.showText = !a.find("show-text") || a.flag("show-text");
      b.rotation = rotation(s, a);
      b.addCheckDigits = a.choice("check-digits", {"verify", "add"}, 0) == 1;
      if (b.addCheckDigits && !isGs1(b.symbology))
        fail(s, *a.find("check-digits"), "'check-digits' applies to the GS1 kinds");
      b.at = at;
      return b;
    }
    if (s.keyword == "line") {
      const Attributes a(*this, s, {"x1", "y1", "x2", "y2", "thickness"});
      return LineItem{a.requiredNumber("x1"), a.requiredNumber("y1"),           a.requiredNumber("x2"),
                      a.requiredNumber("y2"), a.number("thickness", 0.3, true), at};
    }
    if (s.keyword == "box") {
      const Attributes a(*this, s, {"x", "y", "w", "h", "thickness", "filled"});
      return BoxItem{a.requiredNumber("x"),
                     a.requiredNumber("y"),
                     a.requiredNumber("w", true),
                     a.requiredNumber("h", true),
                     a.number("thickness", 0.3, true),
                     a.flag("filled"),
                     at};
    }
    const Attributes a(*this, s, {"x", "y", "w", "h", "file", "rotate"});
    ImageItem image{a.requiredNumber("x"),
                    a.requiredNumber("y"),
                    a.requiredNumber("w", true),
                    a.requiredNumber("h", true),
                    a.requiredText("file"),
                    rotation(s, a),
                    at};
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(folder_ / image.file, ignored))
      failValue(s, *a.find("file"), "image file '" + image.file + "' not found");
    return image;
  }

  int rotation(const Statement& s, const Attributes& a) const {
    const Attribute* turn = a.find("rotate");
    if (!turn) return 0;
    const std::string value = a.valueOf(*turn);
    for (const int r : kRotations)
      if (value == std::to_string(r)) return r;
    failValue(s, *turn, "'rotate' turns by 0, 90, 180 or 270 degrees");
  }

  ValueSource source(const Statement& s, const Attributes& a) const {
    std::optional<ValueSource> found;
    const std::pair<const char*, ValueSource::Kind> kinds[] = {{"value", ValueSource::Kind::Literal},
                                                               {"field", ValueSource::Kind::Field},
                                                               {"formula", ValueSource::Kind::Formula},
                                                               {"caption", ValueSource::Kind::Caption},
                                                               {"compose", ValueSource::Kind::Composed}};
    for (const auto& [name, kind] : kinds) {
      const Attribute* attribute = a.find(name);
      if (!attribute) continue;
      if (found)
        fail(s, *attribute, "only one of 'value', 'field', 'formula', 'caption' and 'compose' may be given");
      found = ValueSource{kind, a.valueOf(*attribute)};
      if (kind == ValueSource::Kind::Field && found->text.empty())
        failValue(s, *attribute, "the field name is empty");
      if (kind == ValueSource::Kind::Formula && !result_.findFormula(found->text))
        failValue(s, *attribute, "unknown formula '" + found->text + "'");
      if (kind == ValueSource::Kind::Composed) {
        try {
          parseComposed(found->text);
        } catch (const Error& e) {
          failValue(s, *attribute, e.description());
        }
      }
    }
    if (!found) fail(s, "missing attribute 'value', 'field', 'formula', 'caption' or 'compose'");
    return *found;
  }

  std::string name_;
  std::filesystem::path folder_;
  ReportTemplate result_;
  bool seenPage_ = false;
};

}  // namespace

ReportTemplate parseTemplate(std::string_view text, const std::string& name,
                             const std::filesystem::path& folder) {
  // A byte order mark is no part of the template, wherever its text comes from.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  return Parser(name, folder).parse(text);
}

ReportTemplate loadTemplate(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throwReportError("The report template " + file.string() + " cannot be read");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return parseTemplate(text, file.filename().string(), file.parent_path());
}

}  // namespace briskal::hostkit::report
