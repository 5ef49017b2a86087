#include "hostkit/report/template_writer.h"

#include <charconv>
#include <type_traits>

namespace briskal::hostkit::report {
namespace {

std::string number(double value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, ec == std::errc() ? end : buffer);
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + '"';
}

class Line {
 public:
  explicit Line(std::string keyword) : text_(std::move(keyword)) {}
  Line& num(const char* name, double value) { return add(name, number(value)); }
  Line& str(const char* name, const std::string& value) { return add(name, quoted(value)); }
  // Left out when empty.
  Line& optionalStr(const char* name, const std::string& value) {
    return value.empty() ? *this : str(name, value);
  }
  // Bare where the parser reads it back as one word, quoted otherwise ("a b").
  Line& word(const char* name, const std::string& value) {
    const bool bare = !value.empty() && value.find_first_of(" \t\"\r\n") == std::string::npos;
    return add(name, bare ? value : quoted(value));
  }
  Line& flag(const char* name, bool on) {
    if (on) text_ += std::string(" ") + name;
    return *this;
  }
  std::string done() const { return text_; }

 private:
  Line& add(const char* name, const std::string& value) {
    text_ += std::string(" ") + name + "=" + value;
    return *this;
  }
  std::string text_;
};

void source(Line& line, const ValueSource& s) {
  switch (s.kind) {
    case ValueSource::Kind::Literal: line.str("value", s.text); break;
    case ValueSource::Kind::Field: line.word("field", s.text); break;
    case ValueSource::Kind::Formula: line.word("formula", s.text); break;
    case ValueSource::Kind::Caption: line.str("caption", s.text); break;
    case ValueSource::Kind::Composed: line.str("compose", s.text); break;
  }
}

const char* alignName(Align a) {
  switch (a) {
    case Align::Left: return "left";
    case Align::Center: return "center";
    case Align::Right: return "right";
  }
  return "left";
}

const char* symbologyName(Symbology s) {
  switch (s) {
    case Symbology::Code128: return "code128";
    case Symbology::Ean13: return "ean13";
    case Symbology::QrCode: return "qrcode";
    case Symbology::DataMatrix: return "datamatrix";
    case Symbology::Gs1_128: return "gs1-128";
    case Symbology::Gs1DataMatrix: return "gs1-datamatrix";
    case Symbology::Gs1Qr: return "gs1-qr";
  }
  return "code128";
}

}  // namespace

std::string itemStatement(const TemplateItem& item) {
  return std::visit(
      [](const auto& i) {
        using T = std::decay_t<decltype(i)>;
        if constexpr (std::is_same_v<T, TextItem>) {
          Line line("text");
          line.num("x", i.x).num("y", i.y).num("w", i.width).num("h", i.height);
          source(line, i.source);
          line.str("font", i.font).num("size", i.size).flag("bold", i.bold).word("align", alignName(i.align));
          if (!i.format.empty()) line.str("format", i.format);
          line.flag("multiline", i.multiline);
          if (i.lineHeight > 0) line.num("line-height", i.lineHeight);
          line.flag("collapse", i.collapse).flag("italic", i.italic);
          if (i.rotation != 0) line.num("rotate", i.rotation);
          if (i.shrinkTo > 0) line.num("shrink-to", i.shrinkTo);
          return line.done();
        } else if constexpr (std::is_same_v<T, BarcodeItem>) {
          Line line("barcode");
          line.num("x", i.x)
              .num("y", i.y)
              .num("w", i.width)
              .num("h", i.height)
              .word("type", symbologyName(i.symbology));
          source(line, i.source);
          if (!i.showText) line.word("show-text", "no");
          if (i.rotation != 0) line.num("rotate", i.rotation);
          if (i.addCheckDigits) line.word("check-digits", "add");
          return line.done();
        } else if constexpr (std::is_same_v<T, LineItem>) {
          return Line("line")
              .num("x1", i.x1)
              .num("y1", i.y1)
              .num("x2", i.x2)
              .num("y2", i.y2)
              .num("thickness", i.thickness)
              .done();
        } else if constexpr (std::is_same_v<T, BoxItem>) {
          return Line("box")
              .num("x", i.x)
              .num("y", i.y)
              .num("w", i.width)
              .num("h", i.height)
              .num("thickness", i.thickness)
              .flag("filled", i.filled)
              .done();
        } else {
          Line line("image");
          line.num("x", i.x).num("y", i.y).num("w", i.width).num("h", i.height).str("file", i.file);
          if (i.rotation != 0) line.num("rotate", i.rotation);
          return line.done();
        }
      },
      item);
}

std::string pageStatement(const PageSetup& p) {
  return Line("page")
      .word("kind", p.kind == PageKind::Label ? "label" : "report")
      .num("width", p.width)
      .num("height", p.height)
      .num("margin-top", p.marginTop)
      .num("margin-bottom", p.marginBottom)
      .num("margin-left", p.marginLeft)
      .num("margin-right", p.marginRight)
      .optionalStr("stock", p.stock)
      .done();
}

std::string formulaStatement(const Formula& f) {
  return Line("formula").word("name", f.name).str("text", f.text).done();
}

std::string sectionStatement(const Section& s) {
  return Line("section")
      .word("name", s.name)
      .word("kind", s.kind == SectionKind::Header ? "header" : "detail")
      .num("height", s.height)
      .done();
}

std::string writeTemplate(const ReportTemplate& t) {
  std::string out = pageStatement(t.page) + "\n";
  for (const Formula& f : t.formulas) out += formulaStatement(f) + "\n";
  for (const Section& s : t.sections) {
    out += sectionStatement(s) + "\n";
    for (const TemplateItem& i : s.items) out += "  " + itemStatement(i) + "\n";
  }
  return out;
}

}  // namespace briskal::hostkit::report
