#pragma once
// A report template as the parser reads it and the writer writes it: the page, the formulas with
// their default texts and the sections with the items they place, in millimetres. The text form
// and its grammar are described in docs/report-templates.md.

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "common/error.h"
#include "host/report_service.h"
#include "hostkit/report/drawing.h"

namespace briskal::hostkit::report {

// Where a statement or an attribute came from, for errors found after parsing. Positions are not
// part of a template's meaning, so two templates compare equal whatever text they came from.
struct SourcePos {
  int line = 0;
  int column = 0;
  friend bool operator==(const SourcePos&, const SourcePos&) { return true; }
};

// A flowing report fills pages of the given size inside the margins; a label report prints one
// page of the label's size per record, or its labels on sheets of a label stock.
enum class PageKind { Report, Label };

struct PageSetup {
  PageKind kind = PageKind::Report;
  double width = 210, height = 297;
  double marginTop = 0, marginBottom = 0, marginLeft = 0, marginRight = 0;
  std::string stock;  // "BRAND PART" of the label stock's catalogue; empty prints a page a label
  SourcePos at;
  friend bool operator==(const PageSetup&, const PageSetup&) = default;
};

// What a text or a barcode shows: a literal, a field of the current record, a formula's text, a
// caption: a literal printed in the run's language, or a text composed of literals and fields
// (composed_text.h).
struct ValueSource {
  enum class Kind { Literal, Field, Formula, Caption, Composed };
  Kind kind = Kind::Literal;
  std::string text;  // the literal, caption or composition as written, or the field's or formula's name
  friend bool operator==(const ValueSource&, const ValueSource&) = default;
};

struct TextItem {
  double x = 0, y = 0, width = 0, height = 0;
  ValueSource source;
  std::string font = "DejaVu Sans";
  double size = 10;  // points
  bool bold = false;
  Align align = Align::Left;
  std::string format;      // a number pattern such as "###,##0.000"; empty prints the value as it is
  bool multiline = false;  // lines split at CR LF, one under the other
  double lineHeight = 0;   // millimetres; 0 takes 1.2 times the font size
  bool collapse = false;   // with nothing to print it takes no room: what lies below moves up
  bool italic = false;
  int rotation = 0;     // degrees clockwise, one of kRotations; single-line texts only
  double shrinkTo = 0;  // points: a line too wide for its box prints smaller, down to this size
  SourcePos at;
  friend bool operator==(const TextItem&, const TextItem&) = default;
};

struct BarcodeItem {
  double x = 0, y = 0, width = 0, height = 0;
  Symbology symbology = Symbology::Code128;
  ValueSource source;
  bool showText = true;
  int rotation = 0;
  // GS1 kinds: the keys (SSCC, GTIN...) are written without their check digit, which is added.
  bool addCheckDigits = false;
  SourcePos at;
  friend bool operator==(const BarcodeItem&, const BarcodeItem&) = default;
};

struct LineItem {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double thickness = 0.3;
  SourcePos at;
  friend bool operator==(const LineItem&, const LineItem&) = default;
};

struct BoxItem {
  double x = 0, y = 0, width = 0, height = 0;
  double thickness = 0.3;
  bool filled = false;
  SourcePos at;
  friend bool operator==(const BoxItem&, const BoxItem&) = default;
};

struct ImageItem {
  double x = 0, y = 0, width = 0, height = 0;
  std::string file;  // as written, relative to the template's folder
  int rotation = 0;
  SourcePos at;
  friend bool operator==(const ImageItem&, const ImageItem&) = default;
};

using TemplateItem = std::variant<TextItem, BarcodeItem, LineItem, BoxItem, ImageItem>;

// A header prints once, before the first record; the detail sections print for every record, in
// the order they are written.
enum class SectionKind { Header, Detail };

struct Section {
  std::string name;
  SectionKind kind = SectionKind::Detail;
  double height = 0;  // millimetres
  std::vector<TemplateItem> items;
  SourcePos at;
  friend bool operator==(const Section&, const Section&) = default;
};

struct Formula {
  std::string name;
  std::string text;  // printed until the run sets another
  SourcePos at;
  friend bool operator==(const Formula&, const Formula&) = default;
};

struct ReportTemplate {
  std::string name;              // the file name, which errors start with
  std::filesystem::path folder;  // images are found relative to it
  PageSetup page;
  std::vector<Formula> formulas;
  std::vector<Section> sections;

  const Section* findSection(const std::string& sectionName) const;
  const Formula* findFormula(const std::string& formulaName) const;
  friend bool operator==(const ReportTemplate&, const ReportTemplate&) = default;
};

// Millimetres from the twips a run sets section heights in.
inline constexpr double kTwipsPerMillimetre = host::kTwipsPerCentimetre / 10.0;

// Throws the error that templates and report runs raise: briskal::Error, source "ReportService",
// invalid argument (3001) unless a file's or an image's number says more.
[[noreturn]] void throwReportError(const std::string& description, int32_t number = err::kInvalidArgument);

}  // namespace briskal::hostkit::report
