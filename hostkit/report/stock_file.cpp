#include "hostkit/report/stock_file.h"

#include <charconv>
#include <cmath>

#include "hostkit/report/xml_reader.h"

namespace briskal::hostkit::report {
namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr int kMostAcross = 1000;  // more labels in a row or a column than any sheet holds

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A product read so far; `problem` says why it cannot be used, once something has.
class ProductReader {
 public:
  ProductReader(const XmlElement& e, std::string where) {
    entry_.where = std::move(where);
    entry_.stock.brand = text(e, "brand");
    entry_.stock.part = text(e, "part");
    entry_.stock.description = e.attribute("_description") ? text(e, "_description") : text(e, "description");
    if (entry_.stock.brand.empty() || entry_.stock.part.empty()) problem("it has no brand or part");
    entry_.equiv = text(e, "equiv");
    if (!entry_.equiv.empty()) return;
    const std::string size = text(e, "size");
    if (size.empty() || size == "Other") {
      entry_.stock.sheetWidth = length(e, "width");
      entry_.stock.sheetHeight = length(e, "height");
    } else {
      entry_.stock.paper = size;
    }
  }

  // The first label shape decides: rectangles and circles are taken, other shapes are not.
  void label(const XmlElement& e) {
    if (seenLabel_) return;
    seenLabel_ = true;
    inLabel_ = true;
    if (e.name == "Label-rectangle") {
      entry_.stock.labelWidth = length(e, "width");
      entry_.stock.labelHeight = length(e, "height");
    } else if (e.name == "Label-round") {
      entry_.stock.labelWidth = entry_.stock.labelHeight = 2 * length(e, "radius");
    } else {
      unusable_ = true;
    }
    if (entry_.stock.labelWidth < 0 || entry_.stock.labelHeight < 0 ||
        (!unusable_ && (entry_.stock.labelWidth == 0 || entry_.stock.labelHeight == 0)))
      problem("its labels have no size");
  }

  void endLabel() { inLabel_ = false; }

  void layout(const XmlElement& e) {
    if (!inLabel_ || seenLayout_) return;
    seenLayout_ = true;
    LabelStock& s = entry_.stock;
    s.columns = count(e, "nx");
    s.rows = count(e, "ny");
    // A grid of one column has no pitch across, nor one of one row down, and may not say so.
    s.x0 = length(e, "x0", false);
    s.y0 = length(e, "y0", false);
    s.dx = length(e, "dx", false);
    s.dy = length(e, "dy", false);
  }

  // Adds the product to `file`, or a warning when it cannot be used; shapes that are not taken
  // and products without a grid are no fault of the file and are left out quietly.
  void finish(StockFile& file) {
    if (!problem_.empty()) {
      file.warnings.push_back(entry_.where + ": " + entry_.stock.name() + " left out: " + problem_);
      return;
    }
    if (entry_.equiv.empty() && (unusable_ || !seenLayout_)) {
      file.omitted.push_back(entry_.stock.name());
      return;
    }
    file.products.push_back(std::move(entry_));
  }

 private:
  void problem(const std::string& why) {
    if (problem_.empty()) problem_ = why;
  }

  std::string text(const XmlElement& e, std::string_view name) const {
    const std::string* value = e.attribute(name);
    return value ? std::string(trimmed(*value)) : std::string();
  }

  double length(const XmlElement& e, std::string_view name, bool required = true) {
    const std::string* value = e.attribute(name);
    const std::optional<double> mm = value      ? catalogueLength(*value)
                                     : required ? std::nullopt
                                                : std::optional(0.0);
    if (!mm) problem("'" + std::string(name) + "' of " + e.name + " is not a length");
    return mm.value_or(0);
  }

  int count(const XmlElement& e, std::string_view name) {
    const std::string_view value = trimmed(e.attribute(name) ? *e.attribute(name) : std::string_view());
    int n = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (ec != std::errc() || end != value.data() + value.size() || n < 1 || n > kMostAcross)
      problem("'" + std::string(name) + "' of " + e.name + " is not a number of labels");
    return n;
  }

  StockEntry entry_;
  std::string problem_;
  bool seenLabel_ = false, inLabel_ = false, seenLayout_ = false, unusable_ = false;
};

void paperSize(const XmlElement& e, StockFile& file, const std::string& where) {
  const std::string* id = e.attribute("id");
  const std::string* width = e.attribute("width");
  const std::string* height = e.attribute("height");
  const double w = width ? catalogueLength(*width).value_or(0) : 0;
  const double h = height ? catalogueLength(*height).value_or(0) : 0;
  if (!id || w <= 0 || h <= 0) {
    file.warnings.push_back(where + ": a paper size left out: it has no name or no size");
    return;
  }
  file.paperSizes.emplace(*id, std::pair(w, h));
}

}  // namespace

std::optional<double> catalogueLength(std::string_view text) {
  text = trimmed(text);
  if (text.empty()) return 0.0;
  double number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (ec != std::errc() || !std::isfinite(number) || number < 0) return std::nullopt;
  const std::string_view unit = trimmed(std::string_view(end, text.data() + text.size()));
  if (unit.empty() || unit == "pt") return number * kMillimetresPerInch / 72;
  if (unit == "mm") return number;
  if (unit == "cm") return number * 10;
  if (unit == "in") return number * kMillimetresPerInch;
  if (unit == "pc") return number * kMillimetresPerInch / 6;
  return std::nullopt;
}

StockFile readStockFile(std::string_view xml, const std::string& name) {
  StockFile file;
  XmlReader reader(xml, name);
  std::optional<ProductReader> product;
  for (XmlReader::Event event = reader.next(); event != XmlReader::Event::Done; event = reader.next()) {
    const XmlElement& e = reader.element();
    const std::string where = name + ":" + std::to_string(e.line);
    if (event == XmlReader::Event::Start) {
      if (e.name == "Paper-size") paperSize(e, file, where);
      else if (e.name == "Template" && !product) product.emplace(e, where);
      else if (product && e.name.starts_with("Label-")) product->label(e);
      else if (product && e.name == "Layout") product->layout(e);
    } else if (product && e.name == "Template") {
      product->finish(file);
      product.reset();
    } else if (product && e.name.starts_with("Label-")) {
      product->endLabel();
    }
  }
  return file;
}

}  // namespace briskal::hostkit::report
