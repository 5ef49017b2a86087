#include "hostkit/report/report_layout.h"

#include <fmt/format.h>

#include <algorithm>
#include <type_traits>
#include <unordered_map>

#include "common/convert.h"
#include "data/recordset.h"
#include "hostkit/gs1/element_string.h"
#include "hostkit/report/composed_text.h"
#include "hostkit/report/text_measure.h"

namespace briskal::hostkit::report {
namespace {

constexpr double kLineSpacing = 1.2;
// Millimetres within which an item counts as starting where a collapsed text ends.
constexpr double kSameLine = 0.001;
constexpr double kTolerance = 1e-9;

std::string trimRight(std::string_view text) {
  const size_t end = text.find_last_not_of(" \t");
  return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

// Lines separated by CR LF, or by a lone LF or CR.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  while (true) {
    const size_t end = text.find_first_of("\r\n", start);
    lines.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

// A date by a pattern of d, dd (day), M, MM (month), yy, yyyy (year), H, HH (hour) and mm
// (minutes); any other character prints as it is.
bool isDatePattern(std::string_view format) { return format.find_first_of("dMyH") != std::string_view::npos; }

std::string formatDate(const DateTime& date, std::string_view pattern) {
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    const auto twoDigits = [&](int n) {
      if (n < 10 && run >= 2) out += '0';
      out += std::to_string(n);
    };
    switch (c) {
      case 'd': twoDigits(date.day()); break;
      case 'M': twoDigits(date.month()); break;
      case 'H': twoDigits(date.hour()); break;
      case 'm': twoDigits(date.minute()); break;
      case 'y': {
        const std::string year = std::to_string(date.year());
        out += run >= 4 ? year : year.substr(year.size() - 2);
        break;
      }
      default: out.append(run, c);
    }
    i += run;
  }
  return out;
}

std::string valueText(const Value& v, const std::string& format, const RegionalSettings& rs) {
  if (v.isNull() || v.isEmpty()) return "";
  if (v.isDate() && isDatePattern(format)) return formatDate(v.asDate(), format);
  if (!format.empty()) {
    if (v.isNumber()) return formatNumber(v, format, rs);
    if (v.isText())
      if (const std::optional<Value> n = parseNumber(v.asText(), rs)) return formatNumber(*n, format, rs);
  }
  if (v.isDate()) return dateToText(v.asDate(), rs);
  return toText(v, rs);
}

}  // namespace

// Lays out one run; the public functions below are its entry points.
class Layouter {
 public:
  // `walk` moves through the records that `records` reads; only run() needs it.
  Layouter(const ReportTemplate& t, const data::Recordset& records, data::Recordset* walk,
           const RunSettings& run, const RegionalSettings& rs)
      : template_(t), records_(records), walk_(walk), run_(run), regional_(rs) {
    for (const Formula& f : t.formulas) formulas_[f.name] = f.text;
    for (const auto& [name, text] : run.formulas) formulas_[name] = text;
    for (const Section& s : t.sections)
      for (const TemplateItem& item : s.items)
        std::visit(
            [&](const auto& i) {
              resolveSource(i);
              translateCaption(i);
            },
            item);
  }

  // Walks the records as run() does, checking the GS1 barcodes of each.
  void check() {
    std::vector<const BarcodeItem*> barcodes;
    for (const Section* s : visibleDetails())
      for (const TemplateItem& item : s->items)
        if (const auto* b = std::get_if<BarcodeItem>(&item); b && isGs1(b->symbology)) barcodes.push_back(b);
    if (barcodes.empty()) return;
    forEachRecord([&] {
      for (const BarcodeItem* b : barcodes)
        if (const std::string data = trimRight(textOf(b->source, "")); !data.empty()) gs1Checked(*b, data);
    });
  }

  void run(const PageSink& sink) {
    const Section* header = visibleHeader();
    template_.page.kind == PageKind::Label ? labels(header, sink) : report(header, visibleDetails(), sink);
  }

  Page currentRecord() {
    std::vector<DrawingOp> ops;
    double height = 0;
    for (const Section* s : visibleDetails()) height += place(*s, height, ops);
    Page page = blankPage();
    append(page, ops, template_.page.marginLeft, template_.page.marginTop);
    page.records = 1;
    return page;
  }

 private:
  const Section* visibleHeader() const {
    for (const Section& s : template_.sections)
      if (s.kind == SectionKind::Header && !run_.suppressed.contains(s.name)) return &s;
    return nullptr;
  }

  std::vector<const Section*> visibleDetails() const {
    std::vector<const Section*> details;
    for (const Section& s : template_.sections)
      if (s.kind == SectionKind::Detail && !run_.suppressed.contains(s.name)) details.push_back(&s);
    return details;
  }

  Page blankPage() const { return Page{template_.page.width, template_.page.height, {}}; }

  void report(const Section* header, const std::vector<const Section*>& details, const PageSink& sink) {
    const PageSetup& p = template_.page;
    const double top = p.marginTop;
    const double bottom = p.height - p.marginBottom;
    Page page = blankPage();
    double y = top;
    std::vector<DrawingOp> ops;
    if (header) {
      y += place(*header, 0, ops);
      append(page, ops, p.marginLeft, top);
    }
    forEachRecord([&] {
      ops.clear();
      double height = 0;
      double needed = 0;  // the record's height without its trailing gaps
      for (const Section* s : details) {
        height += place(*s, height, ops);
        if (!s->items.empty()) needed = height;
      }
      if (y + needed > bottom + kTolerance && y > top + kTolerance) {
        sink(std::move(page));
        page = blankPage();
        y = top;
      }
      append(page, ops, p.marginLeft, y);
      ++page.records;
      y += height;
    });
    sink(std::move(page));
  }

  void labels(const Section* header, const PageSink& sink) {
    const PageSetup& p = template_.page;
    if (header) {
      std::vector<DrawingOp> ops;
      place(*header, 0, ops);
      Page page = blankPage();
      append(page, ops, p.marginLeft, p.marginTop);
      sink(std::move(page));
    }
    forEachRecord([&] { sink(currentRecord()); });
  }

  template <typename F>
  void forEachRecord(F&& each) {
    if (walk_->recordCount() == 0) return;
    for (walk_->moveFirst(); !walk_->eof(); walk_->moveNext()) each();
  }

  static void append(Page& page, std::vector<DrawingOp>& ops, double dx, double dy) {
    for (DrawingOp& op : ops) {
      translate(op, dx, dy);
      page.ops.push_back(std::move(op));
    }
    ops.clear();
  }

  // Adds the section's drawing ops at `top` and returns the height it takes for this record: its
  // own (or the run's) height, grown to fit the lines of its multi-line texts.
  double place(const Section& s, double top, std::vector<DrawingOp>& ops) {
    const auto override = run_.sectionHeights.find(s.name);
    double height = override != run_.sectionHeights.end() ? override->second : s.height;
    // The bands of the texts that collapse, by their bottom edge: whatever starts below one moves
    // up by its height.
    std::vector<std::pair<double, double>> collapsed;
    for (const TemplateItem& item : s.items)
      if (const auto* text = std::get_if<TextItem>(&item);
          text && text->collapse && printedText(*text).empty())
        collapsed.emplace_back(text->y + text->height, text->height);
    for (const TemplateItem& item : s.items) {
      double shift = 0;
      const double itemTop = topOf(item);
      for (const auto& [bottom, gone] : collapsed)
        if (bottom <= itemTop + kSameLine) shift += gone;
      std::visit([&](const auto& i) { height = std::max(height, placeItem(i, top - shift, ops) - shift); },
                 item);
    }
    return height;
  }

  static double topOf(const TemplateItem& item) {
    return std::visit(
        [](const auto& i) {
          if constexpr (std::is_same_v<std::decay_t<decltype(i)>, LineItem>) return std::min(i.y1, i.y2);
          else return i.y;
        },
        item);
  }

  // A single-line text as it prints: its lines joined, trailing blanks dropped.
  std::string printedText(const TextItem& i) const {
    const std::string text = textOf(i.source, i.format);
    std::string joined;
    for (std::string_view line : splitLines(text)) joined += (joined.empty() ? "" : " ") + std::string(line);
    return trimRight(joined);
  }

  // Each returns the bottom of what it placed, relative to the section's top.
  double placeItem(const TextItem& i, double top, std::vector<DrawingOp>& ops) {
    const auto op = [&](std::string line, double y, double height, double size) {
      // Built in place: GCC 12 at -O3 takes a push_back of the op here for a read of an
      // uninitialised barcode (a false maybe-uninitialized warning).
      if (!line.empty())
        ops.emplace_back(std::in_place_type<TextOp>,
                         TextOp{i.x, top + y, i.width, height, std::move(line), i.font, size, i.bold, i.align,
                                i.italic, i.rotation});
    };
    if (!i.multiline) {
      std::string line = printedText(i);
      // A turned text runs along its box's height.
      const double room = i.rotation == 90 || i.rotation == 270 ? i.height : i.width;
      const double size = i.shrinkTo > 0 && !line.empty() ? fittingSize(measure(), line, i.font, i.bold,
                                                                        i.italic, i.size, i.shrinkTo, room)
                                                          : i.size;
      op(std::move(line), i.y, i.height, size);
      return i.y + i.height;
    }
    const double lineHeight = i.lineHeight > 0 ? i.lineHeight : i.size * kMillimetresPerPoint * kLineSpacing;
    const std::string text = textOf(i.source, i.format);
    const std::vector<std::string_view> lines = splitLines(text);
    for (size_t n = 0; n < lines.size(); ++n)
      op(trimRight(lines[n]), i.y + static_cast<double>(n) * lineHeight, lineHeight, i.size);
    return std::max(i.y + i.height, i.y + static_cast<double>(lines.size()) * lineHeight);
  }

  double placeItem(const BarcodeItem& i, double top, std::vector<DrawingOp>& ops) {
    std::string data = trimRight(textOf(i.source, ""));
    if (!data.empty() && isGs1(i.symbology)) {
      try {
        data = gs1Checked(i, data);
      } catch (const Error&) {
        if (!run_.sketch) throw;
        // A frame that holds the text in place of the barcode.
        ops.emplace_back(BoxOp{i.x, top + i.y, i.width, i.height, 0.2, false});
        ops.emplace_back(std::in_place_type<TextOp>,
                         TextOp{i.x, top + i.y, i.width, i.height, std::move(data), "DejaVu Sans", 6, false,
                                Align::Center, false, i.rotation});
        return i.y + i.height;
      }
    }
    if (!data.empty())
      ops.push_back(
          BarcodeOp{i.x, top + i.y, i.width, i.height, i.symbology, std::move(data), i.showText, i.rotation});
    return i.y + i.height;
  }

  double placeItem(const LineItem& i, double top, std::vector<DrawingOp>& ops) {
    ops.emplace_back(LineOp{i.x1, top + i.y1, i.x2, top + i.y2, i.thickness});
    return std::max(i.y1, i.y2);
  }

  double placeItem(const BoxItem& i, double top, std::vector<DrawingOp>& ops) {
    ops.emplace_back(BoxOp{i.x, top + i.y, i.width, i.height, i.thickness, i.filled});
    return i.y + i.height;
  }

  double placeItem(const ImageItem& i, double top, std::vector<DrawingOp>& ops) {
    ops.push_back(
        ImageOp{i.x, top + i.y, i.width, i.height, (template_.folder / i.file).string(), i.rotation});
    return i.y + i.height;
  }

  TextMeasure& measure() {
    if (!measure_) measure_ = std::make_unique<TextMeasure>();
    return *measure_;
  }

  std::string textOf(const ValueSource& source, const std::string& format) const {
    switch (source.kind) {
      case ValueSource::Kind::Literal: return valueText(Value(source.text), format, regional_);
      case ValueSource::Kind::Formula: return valueText(Value(formulas_.at(source.text)), format, regional_);
      case ValueSource::Kind::Caption: return valueText(Value(captions_.at(source.text)), format, regional_);
      case ValueSource::Kind::Field: return fieldText(source.text, format);
      case ValueSource::Kind::Composed: {
        std::string text;
        // Fixed-length codes come padded: each field's trailing blanks are dropped.
        for (const ComposedPart& part : compositions_.at(source.text))
          text += part.field.empty() ? part.literal : trimRight(partText(part));
        return valueText(Value(text), format, regional_);
      }
    }
    return {};
  }

  // The records' field, or else the number the run gave the current label.
  std::string fieldText(const std::string& name, const std::string& format) const {
    const FieldRef& field = fields_.at(name);
    if (!field.numbers) return valueText(records_.value(field.index), format, regional_);
    const int64_t label = records_.absolutePosition() - 1;
    if (label < 0 || label >= static_cast<int64_t>(field.numbers->size()))
      throwReportError("The run has no " + name + " for its label " + std::to_string(label + 1));
    return valueText(Value((*field.numbers)[static_cast<size_t>(label)]), format, regional_);
  }

  std::string partText(const ComposedPart& part) const {
    if (part.days == 0) return fieldText(part.field, part.format);
    const FieldRef& field = fields_.at(part.field);
    const Value v = field.numbers ? Value() : records_.value(field.index);
    if (v.isNull() || v.isEmpty()) return "";
    // A sketch's fields hold their names.
    if (!v.isDate() && run_.sketch) return fieldText(part.field, part.format);
    if (!v.isDate())
      throwReportError("The field " + part.field + " is not a date: days cannot be added to it");
    return valueText(Value(DateTime::fromSerial(v.asDate().serial() + part.days)), part.format, regional_);
  }

  // The element string of a GS1 barcode as it prints, its check digits added if the item asks;
  // an element string that breaks GS1's rules stops the run, naming the label and the item.
  std::string gs1Checked(const BarcodeItem& i, const std::string& data) const {
    try {
      return gs1::bracketed(
          gs1::parseBracketed(data, i.addCheckDigits ? gs1::CheckDigits::Compute : gs1::CheckDigits::Verify));
    } catch (const Error& e) {
      throwReportError(fmt::format("{}:{}:{}: label {}, {}: {}", template_.name, i.at.line, i.at.column,
                                   records_.absolutePosition(), sourceName(i.source), e.description()));
    }
  }

  static std::string sourceName(const ValueSource& source) {
    switch (source.kind) {
      case ValueSource::Kind::Field: return "field " + source.text;
      case ValueSource::Kind::Formula: return "formula " + source.text;
      case ValueSource::Kind::Composed: return "compose \"" + source.text + "\"";
      case ValueSource::Kind::Literal:
      case ValueSource::Kind::Caption: break;
    }
    return "value \"" + source.text + "\"";
  }

  // Captions are looked up once a run, not once a label.
  template <typename Item>
  void translateCaption(const Item& item) {
    if constexpr (std::is_same_v<Item, TextItem> || std::is_same_v<Item, BarcodeItem>) {
      if (item.source.kind != ValueSource::Kind::Caption || captions_.contains(item.source.text)) return;
      captions_[item.source.text] = run_.captions ? run_.captions(item.source.text) : item.source.text;
    }
  }

  template <typename Item>
  void resolveSource(const Item& item) {
    if constexpr (std::is_same_v<Item, TextItem> || std::is_same_v<Item, BarcodeItem>) {
      if (item.source.kind == ValueSource::Kind::Field) resolveField(item.source.text, item.at);
      if (item.source.kind != ValueSource::Kind::Composed || compositions_.contains(item.source.text)) return;
      std::vector<ComposedPart> parts = parseComposed(item.source.text);
      for (const ComposedPart& part : parts)
        if (!part.field.empty()) resolveField(part.field, item.at);
      compositions_[item.source.text] = std::move(parts);
    }
  }

  void resolveField(const std::string& name, const SourcePos& at) {
    if (fields_.contains(name)) return;
    if (const int index = records_.fieldIndex(name); index >= 0) {
      fields_[name] = {.index = static_cast<size_t>(index), .numbers = nullptr};
      return;
    }
    if (const auto numbers = run_.labelNumbers.find(name); numbers != run_.labelNumbers.end()) {
      fields_[name] = {.index = 0, .numbers = &numbers->second};
      return;
    }
    throwReportError(template_.name + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) +
                     ": no field '" + name + "' in the report's data");
  }

  // A field of the records, or the numbers the run gives its labels.
  struct FieldRef {
    size_t index = 0;
    const std::vector<std::string>* numbers = nullptr;
  };

  const ReportTemplate& template_;
  const data::Recordset& records_;
  data::Recordset* walk_;
  const RunSettings& run_;
  const RegionalSettings& regional_;
  std::unordered_map<std::string, std::string> formulas_;
  std::unordered_map<std::string, std::string> captions_;
  std::unordered_map<std::string, FieldRef> fields_;
  std::unordered_map<std::string, std::vector<ComposedPart>> compositions_;
  std::unique_ptr<TextMeasure> measure_;  // made when a text first shrinks to fit
};

void layOut(const ReportTemplate& reportTemplate, data::Recordset& records, const RunSettings& run,
            const RegionalSettings& regional, const PageSink& sink) {
  Layouter(reportTemplate, records, &records, run, regional).run(sink);
}

void checkLabels(const ReportTemplate& reportTemplate, const data::Recordset& records, const RunSettings& run,
                 const RegionalSettings& regional) {
  const std::unique_ptr<data::Recordset> walk = records.clone();
  Layouter(reportTemplate, *walk, walk.get(), run, regional).check();
}

std::vector<Page> layOut(const ReportTemplate& reportTemplate, data::Recordset& records,
                         const RunSettings& run, const RegionalSettings& regional) {
  std::vector<Page> pages;
  layOut(reportTemplate, records, run, regional, [&](Page&& page) { pages.push_back(std::move(page)); });
  return pages;
}

RecordLayout::RecordLayout(const ReportTemplate& reportTemplate, const data::Recordset& records,
                           RunSettings run, RegionalSettings regional)
    : run_(std::move(run)),
      regional_(std::move(regional)),
      layouter_(std::make_unique<Layouter>(reportTemplate, records, nullptr, run_, regional_)) {}

RecordLayout::~RecordLayout() = default;

Page RecordLayout::current() { return layouter_->currentRecord(); }

}  // namespace briskal::hostkit::report
