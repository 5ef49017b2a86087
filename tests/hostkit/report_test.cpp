#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/error.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "hostkit/history/history_recorder.h"
#include "hostkit/messages/message_catalogue.h"
#include "hostkit/report/cairo_handles.h"
#include "hostkit/report/cairo_renderer.h"
#include "hostkit/report/cups_printer.h"
#include "hostkit/report/png_writer.h"
#include "hostkit/report/report_layout.h"
#include "hostkit/report/report_service.h"
#include "hostkit/report/template_engine.h"
#include "hostkit/report/template_parser.h"
#include "hostkit/report/template_writer.h"
#include "hostkit/report/text_measure.h"
#include "hostkit/runtime/headless_context.h"
#include "hostkit/session/host_session.h"
#include "hostkit/store/counter_numbers.h"
#include "hostkit/store/counters.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/process.h"
#include "test_helpers.h"

namespace briskal::hostkit::report {
namespace {

namespace fs = std::filesystem;
using data::FieldType;

const fs::path kReports = fs::path(BRISKAL_DATA_FOLDER) / "reports";

using testing::errorText;

using testing::readFile;

using testing::findProgram;

// The value of one "Key:   value" line of pdfinfo's output.
std::string infoField(const std::string& output, const std::string& key) {
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);)
    if (line.starts_with(key + ":")) return line.substr(line.find_first_not_of(' ', key.size() + 1));
  return "";
}

std::string num(double v) {
  std::ostringstream out;
  out << std::setprecision(6) << v;
  return out.str();
}

// The drawing list as text, one op a line: what the golden file holds.
std::string describe(const std::vector<Page>& pages) {
  static const char* aligns[] = {"left", "center", "right"};
  static const char* symbologies[] = {"code128", "ean13", "qrcode", "datamatrix"};
  std::ostringstream out;
  for (const Page& page : pages) {
    out << "page " << num(page.width) << " x " << num(page.height) << "\n";
    for (const DrawingOp& op : page.ops) {
      if (const auto* t = std::get_if<TextOp>(&op))
        out << "  text x=" << num(t->x) << " y=" << num(t->y) << " w=" << num(t->width)
            << " h=" << num(t->height) << " font=\"" << t->font << "\" size=" << num(t->size)
            << (t->bold ? " bold" : "") << " align=" << aligns[static_cast<int>(t->align)] << " \"" << t->text
            << "\"\n";
      if (const auto* b = std::get_if<BarcodeOp>(&op))
        out << "  barcode x=" << num(b->x) << " y=" << num(b->y) << " w=" << num(b->width)
            << " h=" << num(b->height) << " type=" << symbologies[static_cast<int>(b->symbology)]
            << (b->showText ? " text" : "") << " \"" << b->data << "\"\n";
      if (const auto* l = std::get_if<LineOp>(&op))
        out << "  line " << num(l->x1) << "," << num(l->y1) << " " << num(l->x2) << "," << num(l->y2)
            << " thickness=" << num(l->thickness) << "\n";
      if (const auto* b = std::get_if<BoxOp>(&op))
        out << "  box x=" << num(b->x) << " y=" << num(b->y) << " w=" << num(b->width)
            << " h=" << num(b->height) << " thickness=" << num(b->thickness) << (b->filled ? " filled" : "")
            << "\n";
      if (const auto* i = std::get_if<ImageOp>(&op))
        out << "  image x=" << num(i->x) << " y=" << num(i->y) << " w=" << num(i->width)
            << " h=" << num(i->height) << " " << fs::path(i->file).filename().string() << "\n";
    }
  }
  return out.str();
}

std::vector<const TextOp*> texts(const Page& page) {
  std::vector<const TextOp*> found;
  for (const DrawingOp& op : page.ops)
    if (const auto* t = std::get_if<TextOp>(&op)) found.push_back(t);
  return found;
}

const TextOp* findText(const std::vector<Page>& pages, const std::string& text) {
  for (const Page& page : pages)
    for (const TextOp* t : texts(page))
      if (t->text == text) return t;
  return nullptr;
}

// Recordsets shaped like the two data sources: the label texts and the print support.
std::unique_ptr<data::Recordset> labelTexts(const std::vector<std::string>& rows) {
  auto rs = std::make_unique<data::Recordset>();
  rs->setCursorLocation(data::cursor::kUseClient);
  rs->appendField("PD46_RIGADATI", FieldType::LongVarWChar, 0x3FFFFFFF);
  rs->open();
  for (const std::string& row : rows) {
    rs->addNew();
    rs->setValue("PD46_RIGADATI", Value(row));
    rs->update();
  }
  return rs;
}

struct SupportRow {
  Value item, description, order, line, quantity, unit, customer, delivery;
};

std::unique_ptr<data::Recordset> printSupport(const std::vector<SupportRow>& rows) {
  auto rs = std::make_unique<data::Recordset>();
  rs->setCursorLocation(data::cursor::kUseClient);
  const auto decimal = [&](const char* name, int precision, int scale, int32_t attributes) {
    rs->appendField(name, FieldType::Decimal, 0, attributes);
    rs->editableField(name).precision = static_cast<uint8_t>(precision);
    rs->editableField(name).numericScale = static_cast<uint8_t>(scale);
  };
  decimal("DO11_NUMDOC", 7, 0, 0);
  decimal("DO30_PROGRIGA", 6, 0, 0);
  rs->appendField("DO30_CODART_MG66", FieldType::Char, 25, data::attr::kIsNullable);
  rs->appendField("DO30_DESCART", FieldType::VarWChar, 1600, data::attr::kIsNullable);
  rs->appendField("DO30_UM1", FieldType::Char, 3, data::attr::kIsNullable);
  rs->appendField("DO31_DATACONS", FieldType::Date, 0, data::attr::kIsNullable);
  rs->appendField("CG16_RAGSOANAG", FieldType::VarWChar, 60, data::attr::kIsNullable);
  decimal("QTASUETICH", 14, 3, 0);
  rs->open();
  for (const SupportRow& r : rows) {
    rs->addNew();
    rs->setValue("DO30_CODART_MG66", r.item);
    rs->setValue("DO30_DESCART", r.description);
    rs->setValue("DO11_NUMDOC", r.order);
    rs->setValue("DO30_PROGRIGA", r.line);
    rs->setValue("QTASUETICH", r.quantity);
    rs->setValue("DO30_UM1", r.unit);
    rs->setValue("CG16_RAGSOANAG", r.customer);
    rs->setValue("DO31_DATACONS", r.delivery);
    rs->update();
  }
  return rs;
}

SupportRow supportRow(const std::string& item) {
  return {Value(item),
          Value("Flangia cieca DN 80 PN 16"),
          Value(int32_t{4711}),
          Value(int32_t{3}),
          Value(*Decimal::parse("1234.5")),
          Value("PZ"),
          Value("Officine Meccaniche Rossi S.r.l."),
          Value(DateTime::fromParts(2024, 3, 15))};
}

std::vector<Page> layOutText(const std::string& templateText, data::Recordset& records,
                             const RunSettings& run = {}) {
  return layOut(parseTemplate(templateText, "T.RPT", {}), records, run, RegionalSettings::italian());
}

// ---------------------------------------------------------------------------------------------
// Template text: round trips and errors with their positions.

TEST(ReportTemplateText, ShippedTemplatesSurviveAWriteAndReadBack) {
  for (const char* file : {"CRPD_BRISKLAB.RPT", "CRPD_BRISKLABPERS.rpt"}) {
    SCOPED_TRACE(file);
    const ReportTemplate original = loadTemplate(kReports / file);
    const std::string written = writeTemplate(original);
    const ReportTemplate reread = parseTemplate(written, original.name, original.folder);
    EXPECT_EQ(reread, original);
    EXPECT_EQ(writeTemplate(reread), written);
  }
}

TEST(ReportTemplateText, EveryItemKindAndEscapedTextSurviveARoundTrip) {
  const fs::path folder = testing::temporaryFolder();
  renderPng({Page{10, 10, {}}}, folder / "logo.png", 72);
  const std::string text =
      "page kind=label width=62.5 height=29 margin-left=1.25\n"
      "formula name=F text=\"say \\\"hi\\\" \\\\ bye\"\n"
      "section name=H kind=header height=3\n"
      "  image x=0 y=0 w=10 h=10 file=\"logo.png\"\n"
      "section name=D height=20\n"
      "  text x=0 y=0 w=40 h=5 value=\"two\\nlines\" font=\"DejaVu Sans Mono\" size=8.5 bold align=right "
      "format=###,##0.000 multiline line-height=3.5\n"
      "  text x=0 y=6 w=40 h=5 formula=F\n"
      "  text x=0 y=12 w=40 h=5 field=\"ORDINE CLIENTE\"\n"
      "  text x=0 y=18 w=40 h=5 caption=\"Quantità\"\n"
      "  barcode x=0 y=10 w=20 h=8 type=ean13 value=\"4006381333931\" show-text=no\n"
      "  line x1=0 y1=0 x2=60 y2=0 thickness=0.1\n"
      "  box x=1 y=1 w=5 h=5 filled=yes\n";
  const ReportTemplate t = parseTemplate(text, "R.RPT", folder);
  ASSERT_EQ(t.sections.size(), 2U);
  const auto& label = std::get<TextItem>(t.sections[1].items[0]);
  EXPECT_EQ(label.source.text, "two\nlines");
  EXPECT_EQ(label.format, "###,##0.000");
  EXPECT_EQ(label.align, Align::Right);
  EXPECT_TRUE(label.bold && label.multiline);
  EXPECT_EQ(t.findFormula("F")->text, "say \"hi\" \\ bye");
  EXPECT_EQ(std::get<TextItem>(t.sections[1].items[2]).source.text, "ORDINE CLIENTE");
  EXPECT_EQ(std::get<TextItem>(t.sections[1].items[3]).source,
            (ValueSource{ValueSource::Kind::Caption, "Quantità"}));
  EXPECT_FALSE(std::get<BarcodeItem>(t.sections[1].items[4]).showText);
  EXPECT_TRUE(std::get<BoxItem>(t.sections[1].items[6]).filled);
  EXPECT_EQ(t.page.marginLeft, 1.25);
  EXPECT_EQ(parseTemplate(writeTemplate(t), "R.RPT", folder), t);
  // Text from anywhere, a file or the database, may start with a byte order mark.
  EXPECT_EQ(parseTemplate("\xEF\xBB\xBF" + text, "R.RPT", folder), t);
}

struct BadTemplate {
  const char* name;
  std::string text;
  std::string error;
};

// A case shows as its name where gtest prints the parameter, in the list of tests too.
void PrintTo(const BadTemplate& bad, std::ostream* out) { *out << bad.name; }

class MalformedTemplate : public ::testing::TestWithParam<BadTemplate> {};

TEST_P(MalformedTemplate, IsRejectedWithLineAndColumn) {
  const BadTemplate& bad = GetParam();
  EXPECT_EQ(errorText([&] { parseTemplate(bad.text, "CRPD_BRISKLAB.RPT", testing::temporaryFolder()); }),
            bad.error);
}

const std::string kHead = "page kind=report\nsection name=D height=5\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedTemplate,
    ::testing::Values(
        BadTemplate{"UnknownAttribute", kHead + "  text x=0 y=0 w=10 h=5 value=\"a\" colour=red\n",
                    "CRPD_BRISKLAB.RPT:3:35: unknown attribute 'colour'"},
        BadTemplate{"UnknownAttributeBeforeMissingOne", kHead + "  text x=0 y=0 wdth=10 h=5 value=a\n",
                    "CRPD_BRISKLAB.RPT:3:16: unknown attribute 'wdth'"},
        BadTemplate{"MissingAttribute", kHead + "  text x=0 y=0 h=5 value=a\n",
                    "CRPD_BRISKLAB.RPT:3:3: missing attribute 'w'"},
        BadTemplate{"SlantedTurn", kHead + "  text x=0 y=0 w=10 h=5 value=a rotate=45\n",
                    "CRPD_BRISKLAB.RPT:3:40: 'rotate' turns by 0, 90, 180 or 270 degrees"},
        BadTemplate{"TurnedLines", kHead + "  text x=0 y=0 w=10 h=5 value=a multiline rotate=90\n",
                    "CRPD_BRISKLAB.RPT:3:43: a multi-line text cannot be turned"},
        BadTemplate{"ShrinkingToALargerSize", kHead + "  text x=0 y=0 w=10 h=5 value=a size=8 shrink-to=9\n",
                    "CRPD_BRISKLAB.RPT:3:50: 'shrink-to' must not be larger than the text's size"},
        BadTemplate{"UnknownStatement", kHead + "\n  circle x=1\n",
                    "CRPD_BRISKLAB.RPT:4:3: unknown statement 'circle'"},
        BadTemplate{"NoPageFirst", "# comment\nsection name=D height=5\n",
                    "CRPD_BRISKLAB.RPT:2:1: the template must start with a 'page' statement"},
        BadTemplate{"EmptyText", "", "CRPD_BRISKLAB.RPT:1:1: the template has no 'page' statement"},
        BadTemplate{"NoDetail", "page\nsection name=RH kind=header height=5\n",
                    "CRPD_BRISKLAB.RPT:2:1: the template has no detail section"},
        BadTemplate{"UnterminatedString", kHead + "  text x=0 y=0 w=10 h=5 value=\"open\n",
                    "CRPD_BRISKLAB.RPT:3:31: unterminated string"},
        BadTemplate{"UnknownEscape", kHead + "  text x=0 y=0 w=10 h=5 value=\"a\\qb\"\n",
                    "CRPD_BRISKLAB.RPT:3:33: unknown escape '\\q'"},
        BadTemplate{"NotANumber", kHead + "  box x=1 y=2mm w=3 h=4\n",
                    "CRPD_BRISKLAB.RPT:3:13: expected a number for 'y'"},
        BadTemplate{"NegativeNumber", kHead + "  box x=-1 y=2 w=3 h=4\n",
                    "CRPD_BRISKLAB.RPT:3:9: 'x' must not be negative"},
        BadTemplate{"ZeroSize", kHead + "  text x=0 y=0 w=10 h=5 value=a size=0\n",
                    "CRPD_BRISKLAB.RPT:3:38: 'size' must be greater than zero"},
        BadTemplate{"UndeclaredFormula", kHead + "  text x=0 y=0 w=10 h=5 formula=DITTA\n",
                    "CRPD_BRISKLAB.RPT:3:33: unknown formula 'DITTA'"},
        BadTemplate{
            "TwoSources", kHead + "  text x=0 y=0 w=10 h=5 value=a field=B\n",
            "CRPD_BRISKLAB.RPT:3:33: only one of 'value', 'field', 'formula', 'caption' and 'compose' may be "
            "given"},
        BadTemplate{
            "NoSource", kHead + "  barcode x=0 y=0 w=10 h=5 type=qrcode\n",
            "CRPD_BRISKLAB.RPT:3:3: missing attribute 'value', 'field', 'formula', 'caption' or 'compose'"},
        BadTemplate{"UnclosedComposition", kHead + "  text x=0 y=0 w=10 h=5 compose=\"(10){LOTTO\"\n",
                    "CRPD_BRISKLAB.RPT:3:33: a '{' without its '}': write '{{' for a brace"},
        BadTemplate{
            "DaysOnAComposedField", kHead + "  text x=0 y=0 w=10 h=5 compose=\"{D+1y}\"\n",
            "CRPD_BRISKLAB.RPT:3:33: days to add to a date are written +N or -N, up to 36600: 'D+1y'"},
        BadTemplate{"CheckDigitsOfAnotherKind",
                    kHead + "  barcode x=0 y=0 w=10 h=5 type=code128 value=1 check-digits=add\n",
                    "CRPD_BRISKLAB.RPT:3:49: 'check-digits' applies to the GS1 kinds"},
        BadTemplate{"UnknownChoice", kHead + "  text x=0 y=0 w=10 h=5 value=a align=middle\n",
                    "CRPD_BRISKLAB.RPT:3:39: 'middle' is not one of left, center, right"},
        BadTemplate{"BadFlag", kHead + "  box x=0 y=0 w=10 h=5 filled=maybe\n",
                    "CRPD_BRISKLAB.RPT:3:31: expected yes or no for 'filled'"},
        BadTemplate{"FlagNeedsNoValueButNumberDoes", kHead + "  box x y=0 w=10 h=5\n",
                    "CRPD_BRISKLAB.RPT:3:7: attribute 'x' needs a value"},
        BadTemplate{"AttributeTwice", kHead + "  box x=0 y=0 w=10 h=5 x=1\n",
                    "CRPD_BRISKLAB.RPT:3:24: attribute 'x' given twice"},
        BadTemplate{"SectionTwice", kHead + "section name=D height=5\n",
                    "CRPD_BRISKLAB.RPT:3:14: section 'D' declared twice"},
        BadTemplate{"HeaderAfterDetail", kHead + "section name=RH kind=header height=5\n",
                    "CRPD_BRISKLAB.RPT:3:1: the header section must come before the other sections"},
        BadTemplate{"ItemOutsideSection", "page\nline x1=0 y1=0 x2=1 y2=1\n",
                    "CRPD_BRISKLAB.RPT:2:1: 'line' must follow a section"},
        BadTemplate{"LabelWithoutSize", "page kind=label width=100\n",
                    "CRPD_BRISKLAB.RPT:1:1: missing attribute 'height'"},
        BadTemplate{"MarginsFillThePage", "page width=100 height=50 margin-left=60 margin-right=40\n",
                    "CRPD_BRISKLAB.RPT:1:1: the margins leave no room on the page"},
        BadTemplate{"MissingImage", kHead + "  image x=0 y=0 w=10 h=5 file=\"logo.png\"\n",
                    "CRPD_BRISKLAB.RPT:3:31: image file 'logo.png' not found"},
        BadTemplate{"NoSpaceAfterString", kHead + "  text x=0 y=0 w=10 h=5 value=\"a\"bold\n",
                    "CRPD_BRISKLAB.RPT:3:34: expected a space before the next attribute"},
        BadTemplate{"ColumnsCountCharactersNotBytes",
                    kHead + "  text x=0 y=0 w=10 h=5 value=\"Quantità\" sise=9\n",
                    "CRPD_BRISKLAB.RPT:3:42: unknown attribute 'sise'"}),
    [](const ::testing::TestParamInfo<BadTemplate>& param) { return std::string(param.param.name); });

TEST(ReportTemplateText, LoadingNamesTheFileAndRaisesTheReportError) {
  const fs::path file = fs::path(testing::temporaryFolder()) / "BROKEN.RPT";
  std::ofstream(file)
      << "\xEF\xBB\xBFpage\nsection name=D height=5\n  text x=0 y=0 w=1 h=1 value=a colour=red\n";
  try {
    loadTemplate(file);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), err::kInvalidArgument);
    EXPECT_EQ(e.description(), "BROKEN.RPT:3:32: unknown attribute 'colour'");
  }
  EXPECT_NE(
      errorText([&] { loadTemplate(file.parent_path() / "MISSING.RPT"); }).find("MISSING.RPT cannot be read"),
      std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Layout of the flowing report.

// A4 with 10 mm margins; a 20 mm header; a detail of one 5 mm line per text line; a 5 mm gap.
const std::string kFlowing =
    "page kind=report margin-top=10 margin-bottom=10 margin-left=10 margin-right=10\n"
    "formula name=DITTA text=\"(none)\"\n"
    "section name=RH kind=header height=20\n"
    "  text x=0 y=0 w=50 h=6 formula=DITTA\n"
    "section name=Da height=5\n"
    "  text x=0 y=0 w=190 h=5 field=PD46_RIGADATI font=\"DejaVu Sans Mono\" size=9 multiline line-height=5\n"
    "section name=Db height=5\n";

std::string sixLines(int record) {
  std::string text;
  for (int line = 1; line <= 6; ++line)
    text += (line > 1 ? "\r\n" : "") + ("R" + std::to_string(record) + " L" + std::to_string(line));
  return text;
}

TEST(ReportLayout, DetailsAreNeverSplitAndPagesFillAsFarAsTheyCan) {
  std::vector<std::string> rows;
  for (int r = 1; r <= 20; ++r) rows.push_back(sixLines(r));
  auto records = labelTexts(rows);
  const std::vector<Page> pages = layOutText(kFlowing, *records);
  // Page one: header to y=30, records every 35 mm while their 30 mm end by y=287: seven of them.
  // Further pages start at y=10 and take eight; the last the remaining five.
  ASSERT_EQ(pages.size(), 3U);
  std::vector<int> recordsOnPage;
  for (const Page& page : pages) {
    int count = 0;
    for (const TextOp* t : texts(page)) {
      EXPECT_LE(t->y + t->height, 287 + 1e-9) << t->text;
      if (t->text.ends_with(" L1")) {
        ++count;
        const std::string record = t->text.substr(0, t->text.size() - 3);
        EXPECT_NE(findText({page}, record + " L6"), nullptr) << record << " is split";
      }
    }
    recordsOnPage.push_back(count);
  }
  EXPECT_EQ(recordsOnPage, (std::vector<int>{7, 8, 5}));
  EXPECT_DOUBLE_EQ(findText(pages, "R1 L1")->y, 30);
  EXPECT_DOUBLE_EQ(findText(pages, "R8 L1")->y, 10);
  EXPECT_EQ(records->eof(), true);
}

TEST(ReportLayout, TheGapSectionTakesTheHeightTheRunSetsInTwips) {
  auto records = labelTexts({"A", "B", "C"});
  const ReportTemplate t = parseTemplate(kFlowing, "T.RPT", {});
  TemplateEngine engine(t);
  engine.setSectionHeight("Db", 1418);
  const std::vector<Page> pages = layOut(t, *records, engine.settings(), RegionalSettings::italian());
  EXPECT_NEAR(findText(pages, "B")->y - findText(pages, "A")->y, 5 + 1418 / 56.7, 1e-9);
  engine.setSectionHeight("Db", 0);
  const std::vector<Page> packed = layOut(t, *records, engine.settings(), RegionalSettings::italian());
  EXPECT_DOUBLE_EQ(findText(packed, "C")->y - findText(packed, "B")->y, 5);
}

TEST(ReportLayout, HeaderIsPrintedOnceWithFormulasAndCanBeSuppressed) {
  std::vector<std::string> rows(40, "x");
  auto records = labelTexts(rows);
  const ReportTemplate t = parseTemplate(kFlowing, "T.RPT", {});
  TemplateEngine engine(t);
  EXPECT_NE(findText(layOut(t, *records, engine.settings(), RegionalSettings::italian()), "(none)"), nullptr);

  engine.setFormula("DITTA", "42");
  engine.setFormula("NOT_IN_TEMPLATE", "ignored");
  std::vector<Page> pages = layOut(t, *records, engine.settings(), RegionalSettings::italian());
  ASSERT_GT(pages.size(), 1U);
  EXPECT_EQ(findText(pages, "(none)"), nullptr);
  EXPECT_NE(findText({pages[0]}, "42"), nullptr);
  EXPECT_EQ(findText({pages[1]}, "42"), nullptr);

  engine.suppressSection("RH", true);
  pages = layOut(t, *records, engine.settings(), RegionalSettings::italian());
  EXPECT_EQ(findText(pages, "42"), nullptr);
  EXPECT_DOUBLE_EQ(texts(pages[0]).front()->y, 10);
}

TEST(ReportLayout, MultiLineValuesPrintLineByLineKeepingBlankLinesAndColumns) {
  auto records = labelTexts({"  ART001   \r\n \r\nQ.ta: 5\nlast", "next"});
  const std::vector<Page> pages = layOutText(kFlowing, *records);
  const std::vector<const TextOp*> ops = texts(pages[0]);
  ASSERT_EQ(ops.size(), 5U);  // the header, three lines (the blank one draws nothing), the next record
  EXPECT_EQ(ops[1]->text, "  ART001");
  EXPECT_EQ(ops[1]->font, "DejaVu Sans Mono");
  EXPECT_DOUBLE_EQ(ops[2]->y - ops[1]->y, 10);
  EXPECT_EQ(ops[2]->text, "Q.ta: 5");
  EXPECT_EQ(ops[3]->text, "last");
  // Four lines grow the detail to 20 mm, then the 5 mm gap.
  EXPECT_DOUBLE_EQ(ops[4]->y - ops[1]->y, 25);
}

// A text that collapses takes no room when it prints nothing: what starts below it moves up, what
// lies beside or above it stays; one that prints keeps its place.
// A composed value joins literals and fields, each formatted, trimmed, and a date moved by a shelf
// life; a GS1 barcode prints its element string with the check digits it was asked to add, the
// run's numbers print as fields, and a label whose element string breaks a rule is named.
TEST(ReportLayout, ComposedValuesGs1BarcodesAndTheRunsNumbers) {
  SupportRow noGtin = supportRow("A2");
  noGtin.item = Value("ABC");
  auto support = printSupport({supportRow("0952123454321"), noGtin});
  const std::string label =
      "page kind=label width=100 height=50\n"
      "section name=D height=50\n"
      "  text x=0 y=0 w=90 h=5 compose=\"{{{DO11_NUMDOC:000000}}} {DO31_DATACONS+365:yyyy-MM-dd} {SSCC}\"\n"
      "  barcode x=0 y=10 w=90 h=30 type=gs1-128 check-digits=add "
      "compose=\"(01){DO30_CODART_MG66}(15){DO31_DATACONS+365:yyMMdd}(10)L{DO11_NUMDOC}\"\n";
  RunSettings run;
  run.labelNumbers["SSCC"] = {"380123410000000017", "380123410000000024"};
  std::vector<Page> pages;
  const std::string refused = errorText([&] {
    layOut(parseTemplate(label, "T.RPT", {}), *support, run, RegionalSettings::italian(),
           [&](Page&& page) { pages.push_back(std::move(page)); });
  });
  ASSERT_EQ(pages.size(), 1U);
  EXPECT_EQ(texts(pages[0]).at(0)->text, "{004711} 2025-03-15 380123410000000017");
  const auto* bars = std::get_if<BarcodeOp>(&pages[0].ops.at(1));
  ASSERT_NE(bars, nullptr);
  EXPECT_EQ(bars->data, "(01)09521234543213(15)250315(10)L4711");
  EXPECT_EQ(refused,
            "T.RPT:4:3: label 2, compose \"(01){DO30_CODART_MG66}(15){DO31_DATACONS+365:yyMMdd}"
            "(10)L{DO11_NUMDOC}\": (01): 'A' is not allowed: the data is digits only");
  // Without the run's numbers, a field the records lack is missing.
  EXPECT_EQ(errorText([&] { layOutText(label, *support); }),
            "T.RPT:3:3: no field 'SSCC' in the report's data");
}

TEST(ReportLayout, AnEmptyCollapsingTextLetsWhatLiesBelowMoveUp) {
  SupportRow noCustomer = supportRow("A2");
  noCustomer.customer = Value::null();
  auto support = printSupport({supportRow("A1"), noCustomer});
  const std::string label =
      "page kind=label width=100 height=50\n"
      "section name=D height=50\n"
      "  text x=0 y=0 w=60 h=5 field=DO30_CODART_MG66\n"
      "  text x=0 y=5 w=60 h=6 field=CG16_RAGSOANAG collapse\n"
      "  text x=70 y=5 w=30 h=6 field=DO30_UM1\n"
      "  text x=0 y=11 w=60 h=5 field=DO30_DESCART\n"
      "  line x1=0 y1=20 x2=100 y2=20\n";
  const std::vector<Page> pages = layOutText(label, *support);
  ASSERT_EQ(pages.size(), 2U);
  const auto yOf = [](const Page& page, const std::string& text) {
    for (const TextOp* op : texts(page))
      if (op->text == text) return op->y;
    return -1.0;
  };
  EXPECT_DOUBLE_EQ(yOf(pages[0], "Officine Meccaniche Rossi S.r.l."), 5);
  EXPECT_DOUBLE_EQ(yOf(pages[0], "Flangia cieca DN 80 PN 16"), 11);
  EXPECT_DOUBLE_EQ(yOf(pages[1], "Flangia cieca DN 80 PN 16"), 5);
  EXPECT_DOUBLE_EQ(yOf(pages[1], "PZ"), 5) << "a text beside the collapsed one moved";
  EXPECT_DOUBLE_EQ(yOf(pages[1], "A2"), 0);
  const auto line = std::find_if(pages[1].ops.begin(), pages[1].ops.end(),
                                 [](const DrawingOp& op) { return std::holds_alternative<LineOp>(op); });
  ASSERT_NE(line, pages[1].ops.end());
  EXPECT_DOUBLE_EQ(std::get<LineOp>(*line).y1, 14);
  // Written back, the flag stays.
  EXPECT_NE(
      writeTemplate(parseTemplate(label, "T.RPT", {})).find("field=CG16_RAGSOANAG font=\"DejaVu Sans\""),
      std::string::npos);
  EXPECT_NE(writeTemplate(parseTemplate(label, "T.RPT", {})).find(" collapse\n"), std::string::npos);
}

TEST(ReportLayout, ATextTooWideForItsBoxShrinksNoFurtherThanItsSmallestSize) {
  auto support = printSupport({supportRow("A1")});
  const std::vector<Page> pages = layOutText(
      "page kind=label width=100 height=50\n"
      "section name=D height=50\n"
      "  text x=0 y=0 w=30 h=6 field=CG16_RAGSOANAG size=12 shrink-to=4\n"
      "  text x=0 y=6 w=30 h=6 field=CG16_RAGSOANAG size=12 shrink-to=10\n"
      "  text x=0 y=12 w=90 h=6 field=CG16_RAGSOANAG size=12 shrink-to=4\n"
      "  text x=0 y=18 w=6 h=40 field=CG16_RAGSOANAG size=12 shrink-to=4 rotate=90 italic\n",
      *support);
  ASSERT_EQ(pages.size(), 1U);
  const std::vector<const TextOp*> t = texts(pages[0]);
  ASSERT_EQ(t.size(), 4U);
  TextMeasure measure;
  const auto width = [&](const TextOp& op) {
    return measure.width(op.text, op.font, op.bold, op.italic, op.size);
  };
  // Smaller, fitting, and no smaller than it needs to be.
  EXPECT_LT(t[0]->size, 12);
  EXPECT_LE(width(*t[0]), 30);
  TextOp larger = *t[0];
  larger.size += 0.5;
  EXPECT_GT(width(larger), 30);
  EXPECT_EQ(t[1]->size, 10) << "it stops at its smallest size, and is cut at its box";
  EXPECT_EQ(t[2]->size, 12) << "a text that fits keeps its size";
  // A turned text runs along its box's height.
  EXPECT_EQ(t[3]->rotation, 90);
  EXPECT_TRUE(t[3]->italic);
  EXPECT_LT(t[3]->size, 12);
  EXPECT_LE(width(*t[3]), 40);
  EXPECT_GT(width(*t[3]), 30);
}

TEST(ReportLayout, ADateFormatWritesTheDateItsWay) {
  auto support = printSupport({supportRow("A1")});
  const std::vector<Page> pages = layOutText(
      "page kind=label width=100 height=50\n"
      "section name=D height=50\n"
      "  text x=0 y=0 w=30 h=6 field=DO31_DATACONS\n"
      "  text x=0 y=6 w=30 h=6 field=DO31_DATACONS format=\"yyyy-MM-dd\"\n"
      "  text x=0 y=12 w=30 h=6 field=DO31_DATACONS format=\"d.M.yy\"\n"
      "  text x=0 y=18 w=30 h=6 field=DO30_PROGRIGA format=\"dd/MM/yyyy\"\n",
      *support);
  ASSERT_EQ(pages.size(), 1U);
  const std::vector<const TextOp*> t = texts(pages[0]);
  ASSERT_EQ(t.size(), 4U);
  EXPECT_EQ(t[0]->text, "15/03/2024") << "by the regional settings";
  EXPECT_EQ(t[1]->text, "2024-03-15");
  EXPECT_EQ(t[2]->text, "15.3.24");
  EXPECT_EQ(t[3]->text, "3") << "a number keeps its own way";
}

TEST(ReportLayout, ARecordTallerThanAPageGetsAPageOfItsOwn) {
  std::string tall;
  for (int i = 0; i < 80; ++i) tall += "line\r\n";
  auto records = labelTexts({"short", tall, "after"});
  const std::vector<Page> pages = layOutText(kFlowing, *records);
  ASSERT_EQ(pages.size(), 3U);
  EXPECT_EQ(texts(pages[2]).front()->text, "after");
}

TEST(ReportLayout, NoRecordsStillGiveTheHeaderPage) {
  auto records = labelTexts({});
  const std::vector<Page> pages = layOutText(kFlowing, *records);
  ASSERT_EQ(pages.size(), 1U);
  EXPECT_EQ(texts(pages[0]).size(), 1U);
}

TEST(ReportLayout, AFieldMissingFromTheDataNamesTheItem) {
  auto records = labelTexts({"x"});
  const std::string text = "page\nsection name=D height=5\n  text x=0 y=0 w=10 h=5 field=PD46_RIGA\n";
  EXPECT_EQ(errorText([&] { layOutText(text, *records); }),
            "T.RPT:3:3: no field 'PD46_RIGA' in the report's data");
}

TEST(ReportLayout, TheEngineRejectsSectionsTheTemplateLacks) {
  const ReportTemplate t = parseTemplate(kFlowing, "T.RPT", {});
  TemplateEngine engine(t);
  EXPECT_EQ(errorText([&] { engine.setSectionHeight("Dc", 10); }),
            "The report template T.RPT has no section Dc");
  EXPECT_EQ(errorText([&] { engine.suppressSection("PH", true); }),
            "The report template T.RPT has no section PH");
  EXPECT_NE(errorText([&] { engine.setSectionHeight("Db", -1); }), "no error");
  EXPECT_FALSE(engine.refreshRequested());
  engine.refresh("");
  EXPECT_TRUE(engine.refreshRequested());
}

// ---------------------------------------------------------------------------------------------
// The customisable label.

std::vector<Page> customLabels(data::Recordset& support) {
  const ReportTemplate t = loadTemplate(kReports / "CRPD_BRISKLABPERS.rpt");
  TemplateEngine engine(t);
  engine.setFormula("CodiceDitta", "1");
  engine.setFormula("RagioneSociale", "Azienda dimostrativa S.p.A.");
  return layOut(t, support, engine.settings(), RegionalSettings::italian());
}

TEST(CustomLabel, DrawingListMatchesTheGoldenFile) {
  auto support = printSupport({supportRow("ART-00042")});
  const std::string actual = describe(customLabels(*support));
  testing::expectGolden("report_custom_label.txt", actual);
}

TEST(CustomLabel, OnePagePerRecordWithFormattedQuantityAndNoBarcodeForAMissingCode) {
  SupportRow blank = supportRow("");
  blank.item = Value::null();
  blank.delivery = Value::null();
  auto support = printSupport({supportRow("A1"), blank, supportRow("A3")});
  const std::vector<Page> pages = customLabels(*support);
  ASSERT_EQ(pages.size(), 3U);
  for (const Page& page : pages) {
    EXPECT_EQ(page.width, 100);
    EXPECT_EQ(page.height, 50);
    EXPECT_NE(findText({page}, "1.234,500"), nullptr);
  }
  EXPECT_NE(findText({pages[0]}, "15/03/2024"), nullptr);
  const auto barcodes = [](const Page& page) {
    return std::count_if(page.ops.begin(), page.ops.end(),
                         [](const DrawingOp& op) { return std::holds_alternative<BarcodeOp>(op); });
  };
  EXPECT_EQ(barcodes(pages[0]), 1);
  EXPECT_EQ(barcodes(pages[1]), 0);
  EXPECT_EQ(findText({pages[1]}, "15/03/2024"), nullptr);
  // Fixed-length codes are padded with blanks; the barcode carries the code alone.
  EXPECT_EQ(std::get<BarcodeOp>(
                *std::find_if(pages[2].ops.begin(), pages[2].ops.end(),
                              [](const DrawingOp& op) { return std::holds_alternative<BarcodeOp>(op); }))
                .data,
            "A3");
}

TEST(CustomLabel, ItsCaptionsPrintInTheSessionsLanguage) {
  auto support = printSupport({supportRow("A1")});
  const ReportTemplate t = loadTemplate(kReports / "CRPD_BRISKLABPERS.rpt");
  const MessageCatalogue english = MessageCatalogue::load(kReports.parent_path() / "messages" / "en.tsv");
  RunSettings run;
  run.captions = [&english](const std::string& caption) { return english.screenText(caption); };
  const Page label = RecordLayout(t, *support, run, RegionalSettings::english()).current();
  for (const char* caption : {"Order", "Line", "Delivery", "Customer", "Quantity"})
    EXPECT_NE(findText({label}, caption), nullptr) << caption;
  for (const char* caption : {"Ordine", "Riga", "Consegna", "Cliente", "Quantità"})
    EXPECT_EQ(findText({label}, caption), nullptr) << caption;
}

TEST(CustomLabel, TheCurrentRecordAloneMakesTheSameLabelForTheLabelPrinter) {
  auto support = printSupport({supportRow("A1"), supportRow("A2"), supportRow("A3")});
  const std::vector<Page> all = customLabels(*support);
  support->moveFirst();
  support->moveNext();
  const ReportTemplate t = loadTemplate(kReports / "CRPD_BRISKLABPERS.rpt");
  TemplateEngine engine(t);
  engine.setFormula("CodiceDitta", "1");
  engine.setFormula("RagioneSociale", "Azienda dimostrativa S.p.A.");
  const Page label = RecordLayout(t, *support, engine.settings(), RegionalSettings::italian()).current();
  EXPECT_EQ(describe({label}), describe({all[1]}));
  EXPECT_EQ(support->absolutePosition(), 2);
}

// ---------------------------------------------------------------------------------------------
// Rendering.

TEST(ReportRendering, PdfHoldsEveryPageAtItsOwnSize) {
  const std::string pdfinfo = findProgram("pdfinfo");
  if (pdfinfo.empty())
    GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed: the PDF's pages are not counted";
  std::vector<std::string> rows(30, sixLines(1));
  auto records = labelTexts(rows);
  std::vector<Page> pages = layOutText(kFlowing, *records);
  ASSERT_EQ(pages.size(), 4U);  // 7 + 8 + 8 + 7 records
  pages.push_back(Page{100, 50, {TextOp{0, 0, 100, 10, "label", "DejaVu Sans", 10, false, Align::Center}}});
  const fs::path file = fs::path(testing::temporaryFolder()) / "report.pdf";
  renderPdf(pages, file, "Stampa etichette");
  const testing::ProcessResult info = testing::runProcess(pdfinfo, {file.string()});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  EXPECT_EQ(infoField(info.out, "Pages"), "5");
  EXPECT_EQ(infoField(info.out, "Title"), "Stampa etichette");
  EXPECT_EQ(infoField(info.out, "Page size"), "595.276 x 841.89 pts (A4)");
  const testing::ProcessResult last = testing::runProcess(pdfinfo, {"-f", "5", "-l", "5", file.string()});
  EXPECT_EQ(infoField(last.out, "Page    5 size"), "283.465 x 141.732 pts");
}

struct Symbol {
  const char* name;
  Symbology symbology;
  std::string data;
  std::string zbarType;
};

void PrintTo(const Symbol& symbol, std::ostream* out) { *out << symbol.name; }

class RenderedBarcode : public ::testing::TestWithParam<Symbol> {};

TEST_P(RenderedBarcode, ReadsBackFromThePng) {
  const std::string zbarimg = findProgram("zbarimg");
  if (zbarimg.empty()) GTEST_SKIP() << "zbarimg (zbar-tools) is not installed: the barcode is not read back";
  const Symbol& s = GetParam();
  const Page label{100,
                   50,
                   {BarcodeOp{3, 32, 56, 16, s.symbology, s.data, true},
                    TextOp{3, 5, 90, 6, "label", "DejaVu Sans", 12, true, Align::Left}}};
  const fs::path file = fs::path(testing::temporaryFolder()) / (std::string(s.name) + ".png");
  EXPECT_EQ(renderPng({label}, file, kLabelDpi), std::vector<fs::path>{file});
  const testing::ProcessResult read = testing::runProcess(zbarimg, {"-q", file.string()});
  EXPECT_EQ(read.out, s.zbarType + ":" + s.data + "\n") << read.err;
}

TEST(ReportRendering, ATurnedTextAndBarcodeAreDrawnAcrossTheirBoxes) {
  const std::string zbarimg = findProgram("zbarimg");
  if (zbarimg.empty()) GTEST_SKIP() << "zbarimg (zbar-tools) is not installed: the barcode is not read back";
  // A tall box on the left holds a barcode read top to bottom; a tall box on the right a text.
  BarcodeOp bars{2, 2, 20, 70, Symbology::Code128, "ART-00042", true, 90};
  TextOp text{80, 2, 10, 70, "WWWWWWWW", "DejaVu Sans", 20, true, Align::Left, false, 270};
  const PageImage image = renderPageImage(Page{100, 80, {bars, text}}, 150);
  const auto dark = [&](double xMm, double yMm, double wMm, double hMm) {
    const double scale = 150 / 25.4;
    int count = 0;
    for (int y = static_cast<int>(yMm * scale); y < static_cast<int>((yMm + hMm) * scale); ++y)
      for (int x = static_cast<int>(xMm * scale); x < static_cast<int>((xMm + wMm) * scale); ++x)
        count += (reinterpret_cast<const uint32_t*>(image.pixels.data() + y * image.stride)[x] & 0xFF) < 128;
    return count;
  };
  EXPECT_GT(dark(80, 2, 10, 70), 0);
  EXPECT_GT(dark(2, 2, 20, 70), 0);
  EXPECT_EQ(dark(60, 2, 19.5, 70), 0) << "the turned text stays in its box";
  EXPECT_EQ(dark(22.5, 2, 50, 70), 0) << "the turned barcode stays in its box";
  const fs::path file = fs::path(testing::temporaryFolder()) / "turned.png";
  renderPng({Page{100, 80, {bars, text}}}, file, kLabelDpi);
  const testing::ProcessResult read = testing::runProcess(zbarimg, {"-q", file.string()});
  EXPECT_EQ(read.out, "CODE-128:ART-00042\n") << read.err;
}

INSTANTIATE_TEST_SUITE_P(
    Symbologies, RenderedBarcode,
    ::testing::Values(Symbol{"Code128", Symbology::Code128, "ART-00042", "CODE-128"},
                      Symbol{"Ean13", Symbology::Ean13, "4006381333931", "EAN-13"},
                      Symbol{"QrCode", Symbology::QrCode, "DO 4711/3 ART-00042", "QR-Code"}),
    [](const ::testing::TestParamInfo<Symbol>& param) { return std::string(param.param.name); });

TEST(ReportRendering, PngFilesAreNumberedWhenThereAreSeveralPages) {
  const fs::path folder = testing::temporaryFolder();
  const std::vector<Page> two{Page{100, 50, {}}, Page{100, 50, {BoxOp{1, 1, 98, 48, 0.4, false}}}};
  const std::vector<fs::path> files = renderPng(two, folder / "labels.png", kLabelDpi);
  EXPECT_EQ(files, (std::vector<fs::path>{folder / "labels-1.png", folder / "labels-2.png"}));
  for (const fs::path& f : files) EXPECT_TRUE(fs::exists(f)) << f;
  EXPECT_FALSE(fs::exists(folder / "labels.png"));
  // 100 mm at 300 dpi: 1182 pixels wide (the PNG header holds the width big-endian at byte 16).
  const std::string png = readFile(files[0]);
  ASSERT_GT(png.size(), 24U);
  EXPECT_EQ((static_cast<unsigned char>(png[18]) << 8) | static_cast<unsigned char>(png[19]), 1182);
}

TEST(ReportRendering, FailuresNameWhatCouldNotBeDone) {
  const fs::path folder = testing::temporaryFolder();
  const Page badEan{100, 50, {BarcodeOp{0, 0, 50, 20, Symbology::Ean13, "12AB", true}}};
  EXPECT_NE(errorText([&] {
              renderPng({badEan}, folder / "ean.png", 100);
            }).find("The barcode '12AB' cannot be drawn"),
            std::string::npos);
  const Page image{100, 50, {ImageOp{0, 0, 10, 10, (folder / "none.png").string()}}};
  EXPECT_NE(errorText([&] { renderPdf({image}, folder / "image.pdf"); }).find("Reading the image"),
            std::string::npos);
  EXPECT_EQ(errorText([&] { renderPdf({}, folder / "empty.pdf"); }), "The report has no pages to print");
  EXPECT_NE(errorText([&] { renderPdf({Page{}}, folder / "missing" / "x.pdf"); }), "no error");
  EXPECT_EQ(errorText([&] { printPages({Page{}}, "briskal-no-such-printer", "t"); }),
            "The printer 'briskal-no-such-printer' is not known to the print system");
}

// The image the screen shows is the one the PNG files hold: white paper, the page's ops in black,
// the size rounded up to whole pixels.
TEST(ReportRendering, APageImageHoldsThePageAtTheResolutionAsked) {
  const Page page{100.05, 50, {BoxOp{10, 20, 30, 10, 0.3, true}}};
  const PageImage image = renderPageImage(page, 254);  // 10 pixels a millimetre
  EXPECT_EQ(image.width, 1001);
  EXPECT_EQ(image.height, 500);
  ASSERT_GE(image.stride, image.width * 4);
  ASSERT_EQ(image.pixels.size(), static_cast<size_t>(image.stride) * 500);
  const auto rgb = [&](int x, int y) {
    uint32_t pixel = 0;
    std::memcpy(&pixel, image.pixels.data() + static_cast<size_t>(y) * image.stride + x * 4, 4);
    return pixel & 0xffffffU;
  };
  EXPECT_EQ(rgb(0, 0), 0xffffffU);
  EXPECT_EQ(rgb(1000, 499), 0xffffffU) << "the pixel beyond the page's own size";
  EXPECT_EQ(rgb(150, 250), 0U) << "inside the filled box";
  EXPECT_EQ(rgb(99, 250), 0xffffffU) << "left of the box";
  EXPECT_EQ(rgb(150, 301), 0xffffffU) << "below the box";
  EXPECT_NE(errorText([&] {
              renderPageImage(Page{100, 50, {BarcodeOp{0, 0, 50, 20, Symbology::Ean13, "12AB", true}}}, 100);
            }).find("The barcode '12AB' cannot be drawn"),
            std::string::npos);
}

// A PNG file holds the drawn page's own colours, pixel for pixel, in the right channels.
TEST(ReportRendering, APngHoldsThePixelsOfThePage) {
  const fs::path folder = fs::path(testing::processTemporaryFolder()) / "png";
  fs::create_directories(folder);
  PageImage image{.width = 3, .height = 2, .stride = 12, .pixels = std::vector<uint8_t>(24)};
  const uint32_t colours[] = {0xff0000, 0x00ff00, 0x0000ff, 0x123456, 0xffffff, 0x000000};
  for (size_t i = 0; i < 6; ++i) std::memcpy(image.pixels.data() + 4 * i, &colours[i], 4);
  writePng(image, folder / "colours.png", folder / "colours.png");
  const CairoSurface read(cairo_image_surface_create_from_png((folder / "colours.png").c_str()));
  ASSERT_EQ(cairo_surface_status(read.get()), CAIRO_STATUS_SUCCESS);
  ASSERT_EQ(cairo_image_surface_get_width(read.get()), 3);
  ASSERT_EQ(cairo_image_surface_get_height(read.get()), 2);
  const unsigned char* data = cairo_image_surface_get_data(read.get());
  const int stride = cairo_image_surface_get_stride(read.get());
  for (size_t i = 0; i < 6; ++i) {
    uint32_t pixel = 0;
    std::memcpy(&pixel, data + static_cast<size_t>(i / 3) * stride + (i % 3) * 4, 4);
    EXPECT_EQ(pixel & 0xffffffU, colours[i]) << "pixel " << i;
  }
  EXPECT_NE(errorText([&] {
              writePng(image, folder / "missing" / "x.png", folder / "missing" / "x.png");
            }).find("missing/x.png"),
            std::string::npos);
}

// A render that fails half-way leaves the earlier output as it was, and nothing beside it.
TEST(ReportRendering, AFailedRenderLeavesTheEarlierFileAlone) {
  const fs::path folder = fs::path(testing::temporaryFolder()) / "staged";
  fs::create_directories(folder);
  const Page good{100, 50, {}};
  const Page badEan{100, 50, {BarcodeOp{0, 0, 50, 20, Symbology::Ean13, "12AB", true}}};
  renderPdf({good}, folder / "labels.pdf");
  renderPng({good, good}, folder / "labels.png", 100);
  const std::string pdf = readFile(folder / "labels.pdf");
  const std::string png = readFile(folder / "labels-1.png");
  EXPECT_NE(errorText([&] { renderPdf({good, badEan}, folder / "labels.pdf"); }), "no error");
  EXPECT_NE(errorText([&] { renderPng({good, badEan}, folder / "labels.png", 100); }), "no error");
  EXPECT_EQ(readFile(folder / "labels.pdf"), pdf);
  EXPECT_EQ(readFile(folder / "labels-1.png"), png);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"labels-1.png", "labels-2.png", "labels.pdf"}));
}

// ---------------------------------------------------------------------------------------------
// Whole runs of the report service, with the real component as the host.

class ReportServiceRun : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::temporaryFolder();
    database_ = folder_ / "labels.db";
    data::Connection cn;
    cn.setConnectionString("Data Source=" + database_.string());
    cn.open();
    cn.execute("CREATE TABLE PD46_RPTETICHETTE (PD46_ID INTEGER PRIMARY KEY, PD46_RIGADATI TEXT)");
    cn.execute("CREATE TABLE CG18_DITTE (CG18_DITTA INTEGER PRIMARY KEY, CG18_RAGSOC TEXT)");
    cn.execute("INSERT INTO CG18_DITTE VALUES (1, 'Ditta di prova')");
    for (int r = 1; r <= 30; ++r) insertLabel(sixLines(r));

    SessionOptions options;
    options.settings.connectionString = "Data Source=" + database_.string();
    options.dataFolder = BRISKAL_DATA_FOLDER;
    options.component = BRISKAL_COMPONENT;
    options.logFile = folder_ / "briskal.log";
    session_ = std::make_unique<HostSession>(options);
    global_ = std::make_shared<HeadlessGlobalContext>(options.settings, session_->messages());
    session_->component().setClsGlobal(global_);
  }

  void insertLabel(const std::string& text) {
    data::Connection cn;
    cn.setConnectionString("Data Source=" + database_.string());
    cn.open();
    const Value parameter(text);
    cn.execute("INSERT INTO PD46_RPTETICHETTE (PD46_RIGADATI) VALUES (?)", {&parameter, 1});
  }

  // A standard run as the label-row form makes it, with the before-print handler it installs.
  std::unique_ptr<HeadlessReportService> standardRun(ReportOptions options, bool refresh = true,
                                                     SettingsPrompt prompt = {},
                                                     ReportPresenter presenter = {}) {
    auto service = std::make_unique<HeadlessReportService>(
        std::move(options), RegionalSettings::italian(),
        [this](const Delivery& delivery) { deliveries_.push_back(delivery); }, std::move(prompt),
        std::move(presenter));
    service->setGlobalContext(&session_->component());
    service->setTitle("Stampa etichette da ordine di lavoro");
    service->setTemplate("CRPD_BRISKLAB.RPT");
    service->setTemplateFolder(kReports);
    service->setDataSource("SELECT PD46_RIGADATI FROM PD46_RPTETICHETTE");
    HeadlessReportService* s = service.get();
    service->onBeforePrintReport([s, refresh, this](host::ReportEngine& engine) {
      ++handlerCalls_;
      engine.setFormula("DITTA", "1");
      engine.setFormula("RAGSOC", "Azienda dimostrativa S.p.A.");
      engine.setSectionHeight("Db", 1418);
      if (refresh) engine.refresh("");
      if (!s->printHeader() || (!s->printLimits() && !s->printNotes())) engine.suppressSection("RH", true);
      engine.setFormula("ESEGUITODA", s->printNotes() ? s->performedBy() : "");
      insertLabel("ADDED BY THE HANDLER");
    });
    return service;
  }

  fs::path folder_;
  fs::path database_;
  std::unique_ptr<HostSession> session_;
  std::shared_ptr<HeadlessGlobalContext> global_;
  int handlerCalls_ = 0;
  std::vector<Delivery> deliveries_;
};

TEST_F(ReportServiceRun, StandardLabelsReadTheirStatementThroughTheHostConnection) {
  ReportOptions options;
  options.destination = (folder_ / "labels.pdf").string();
  options.printNotes = true;
  options.performedBy = "Mario Bianchi";
  auto service = standardRun(options);
  const std::vector<Page> pages = service->layOutPages();
  EXPECT_EQ(handlerCalls_, 1);
  EXPECT_NE(findText(pages, "Azienda dimostrativa S.p.A."), nullptr);
  EXPECT_NE(findText(pages, "Mario Bianchi"), nullptr);
  EXPECT_NE(findText(pages, "R30 L6"), nullptr);
  // The handler added a row and asked for a refresh: the run prints it.
  EXPECT_NE(findText(pages, "ADDED BY THE HANDLER"), nullptr);
  EXPECT_NEAR(findText(pages, "R2 L1")->y - findText(pages, "R1 L1")->y, 6 * 4 + 1418 / 56.7, 1e-9);

  EXPECT_FALSE(service->completed());
  service->start();
  EXPECT_TRUE(service->completed());
  EXPECT_EQ(service->writtenFiles(), std::vector<fs::path>{folder_ / "labels.pdf"});
  const std::string pdf = readFile(folder_ / "labels.pdf");
  EXPECT_TRUE(pdf.starts_with("%PDF-"));
  if (const std::string pdfinfo = findProgram("pdfinfo"); !pdfinfo.empty()) {
    const testing::ProcessResult info = testing::runProcess(pdfinfo, {(folder_ / "labels.pdf").string()});
    EXPECT_EQ(infoField(info.out, "Pages"), std::to_string(pages.size()));
  }
}

TEST_F(ReportServiceRun, WithoutRefreshTheDataIsWhatItWasBeforeTheHandler) {
  ReportOptions options;
  options.printHeader = false;
  auto service = standardRun(options, false);
  const std::vector<Page> pages = service->layOutPages();
  EXPECT_EQ(findText(pages, "ADDED BY THE HANDLER"), nullptr);
  EXPECT_EQ(findText(pages, "Azienda dimostrativa S.p.A."), nullptr) << "the header is suppressed";
  EXPECT_DOUBLE_EQ(findText(pages, "R1 L1")->y, 15);
}

TEST_F(ReportServiceRun, CustomLabelsWalkACloneAndWritePngPerLabel) {
  auto support = printSupport({supportRow("ART-1"), supportRow("ART-2")});
  support->moveLast();
  ReportOptions options;
  options.destination = (folder_ / "custom.PNG").string();
  HeadlessReportService service(options, RegionalSettings::italian());
  service.setGlobalContext(&session_->component());
  service.setTemplate("CRPD_BRISKLABPERS.rpt");
  service.setTemplateFolder(kReports);
  service.setDataRecordset(support.get());
  service.onBeforePrintReport([](host::ReportEngine& engine) {
    engine.refresh("");
    engine.setFormula("CodiceDitta", "1");
    engine.setFormula("PaginaIniziale", "False");
  });
  service.start();
  EXPECT_TRUE(service.completed());
  EXPECT_EQ(service.writtenFiles(),
            (std::vector<fs::path>{folder_ / "custom-1.PNG", folder_ / "custom-2.PNG"}));
  EXPECT_EQ(support->absolutePosition(), 2) << "the component's recordset keeps its position";
  if (const std::string zbarimg = findProgram("zbarimg"); !zbarimg.empty()) {
    const testing::ProcessResult read =
        testing::runProcess(zbarimg, {"-q", (folder_ / "custom-2.PNG").string()});
    EXPECT_EQ(read.out, "CODE-128:ART-2\n");
  }
}

TEST_F(ReportServiceRun, FailuresLeaveTheRunIncomplete) {
  std::ofstream(folder_ / "BAD.RPT")
      << "page\nsection name=Da height=4\n  text x=0 y=0 w=10 h=4 field=PD46_RIGADATI colour=red\n";
  ReportOptions options;
  options.destination = (folder_ / "bad.pdf").string();
  auto service = standardRun(options);
  service->setTemplate("BAD.RPT");
  service->setTemplateFolder(folder_);
  EXPECT_EQ(errorText([&] { service->start(); }), "BAD.RPT:3:45: unknown attribute 'colour'");
  EXPECT_FALSE(service->completed());

  options.destination = "briskal-no-such-printer";
  service = standardRun(options);
  EXPECT_EQ(errorText([&] { service->start(); }),
            "The printer 'briskal-no-such-printer' is not known to the print system");
  EXPECT_FALSE(service->completed());

  service = standardRun(options);
  service->release();
  EXPECT_EQ(errorText([&] { service->start(); }), "The report service was given no data");
}

// A run shown on screen holds its SSCCs while it is shown: they are printed once the host prints
// from it, and void when the host lets it go with nothing printed.
TEST(ShownRuns, TheirNumbersArePrintedWithWhatIsPrintedOrElseVoid) {
  const std::string db = testing::freshDatabase("sqlite");
  {
    data::Connection cn;
    cn.setConnectionString(db);
    cn.open();
    hostkit::Counters(cn, Value(int32_t{1}))
        .set("SSCC", {.next = 1, .extensionDigit = 3, .companyPrefix = "8012341"});
  }
  SessionResources resources;
  resources.templates = [](const fs::path& folder, const std::string& file) {
    return parseTemplate(
        "page kind=label width=100 height=50\nsection name=D height=50\n"
        "  text x=0 y=0 w=90 h=5 field=SSCC\n",
        file, folder);
  };
  resources.recorder = hostkit::historyRecorder({db, Value(int32_t{1}), "anna", RegionalSettings::italian()});
  resources.numbers = hostkit::counterNumbers({db, Value(int32_t{1}), "anna"});
  auto support = printSupport({supportRow("A1"), supportRow("A2")});
  const auto show = [&] {
    std::optional<PreparedReport> shown;
    HeadlessReportService service(
        {}, RegionalSettings::italian(), {}, {},
        [&](PreparedReport report) {
          shown = std::move(report);
          return PageFeed();
        },
        resources);
    service.setTemplate("SSCC.rpt");
    service.setDataRecordset(support.get());
    service.start();
    return shown;
  };
  const auto states = [&] {
    data::Connection cn;
    cn.setConnectionString(db);
    cn.open();
    std::vector<std::string> out;
    for (const auto& b : hostkit::Counters(cn, Value(int32_t{1})).blocks("SSCC"))
      out.push_back(std::to_string(b.first) + "-" + std::to_string(b.last) + " " +
                    hostkit::blockStateName(b.state));
    return out;
  };
  std::optional<PreparedReport> printed = show();
  ASSERT_TRUE(printed && printed->record);
  EXPECT_NE(findText(printed->pages, "380123410000000017"), nullptr);
  EXPECT_EQ(states(), std::vector<std::string>{"1-2 taken"});
  printed->record("labels.pdf", std::nullopt, 2, 1)->delivered(1);
  EXPECT_EQ(states(), std::vector<std::string>{"1-2 printed"});
  std::optional<PreparedReport> closed = show();
  closed.reset();
  EXPECT_EQ(states(), (std::vector<std::string>{"1-2 printed", "3-4 void"}));
}

// A host on screen asks for the options first and shows the pages itself: the pages, their kind,
// the records and the title are handed over, and outlive the service with the sink that tells of
// what the host then delivers. The host has the first page before the rest are laid out; the rest
// follow in order, the last batch saying so.
TEST_F(ReportServiceRun, ThePromptedOptionsReachThePagesTheHostIsGiven) {
  ReportOptions options;
  options.destination = (folder_ / "labels.pdf").string();
  std::vector<std::string> asked;
  std::optional<PreparedReport> shown;
  size_t pagesFirstShown = 0;
  int lastBatches = 0;
  auto service = standardRun(
      options, true,
      [&](ReportOptions& o, PageKind kind) {
        EXPECT_EQ(kind, PageKind::Report) << "the standard labels' template lays out report sheets";
        asked.push_back(o.destination + (handlerCalls_ == 0 ? " before the handler" : " too late"));
        o.printNotes = true;
        o.performedBy = "Anna Verdi";
        return true;
      },
      [&](PreparedReport report) {
        shown = std::move(report);
        pagesFirstShown = shown->pages.size();
        return [&](std::vector<Page> pages, bool last) {
          EXPECT_EQ(lastBatches, 0) << "no page after the last batch";
          lastBatches += last ? 1 : 0;
          shown->pages.insert(shown->pages.end(), pages.begin(), pages.end());
        };
      });
  service->start();
  EXPECT_EQ(pagesFirstShown, 1U);
  EXPECT_EQ(lastBatches, 1);
  EXPECT_EQ(asked, std::vector<std::string>{options.destination + " before the handler"});
  EXPECT_TRUE(service->completed());
  EXPECT_EQ(service->performedBy(), "Anna Verdi");
  EXPECT_FALSE(fs::exists(folder_ / "labels.pdf"));
  EXPECT_TRUE(service->writtenFiles().empty());
  EXPECT_TRUE(deliveries_.empty()) << "nothing is delivered until the host prints or saves";
  const size_t allPages = service->layOutPages().size();
  EXPECT_GT(allPages, 1U);
  service.reset();

  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->kind, PageKind::Report);
  EXPECT_EQ(shown->records, 31);  // the 30 labels and the one the handler added
  EXPECT_EQ(shown->title, "Stampa etichette da ordine di lavoro");
  EXPECT_EQ(shown->pages.size(), allPages);
  EXPECT_NE(findText(shown->pages, "Anna Verdi"), nullptr);
  EXPECT_NE(findText(shown->pages, "ADDED BY THE HANDLER"), nullptr);
  ASSERT_TRUE(shown->delivered);
  shown->delivered({"printer", 31, 5, {}, {}});
  ASSERT_EQ(deliveries_.size(), 1U);
  EXPECT_EQ(deliveries_[0].destination, "printer");
}

TEST_F(ReportServiceRun, ACancelledPromptReadsNothingAndDeliversNothing) {
  ReportOptions options;
  options.destination = (folder_ / "labels.pdf").string();
  for (const bool presenting : {false, true}) {
    bool presented = false;
    auto service = standardRun(
        options, true, [](ReportOptions&, PageKind) { return false; },
        presenting ? ReportPresenter([&](PreparedReport) {
          presented = true;
          return PageFeed();
        })
                   : ReportPresenter());
    EXPECT_EQ(errorText([&] { service->start(); }), "no error");
    EXPECT_FALSE(service->completed());
    EXPECT_FALSE(presented);
  }
  EXPECT_EQ(handlerCalls_, 0);
  EXPECT_FALSE(fs::exists(folder_ / "labels.pdf"));
  EXPECT_TRUE(deliveries_.empty());
}

}  // namespace
}  // namespace briskal::hostkit::report
