// The label stock catalogue: lengths in the catalogue's units, products read from real files of a
// folder (paper sizes, equivalents, malformed files), lookups and their suggestions, the built-in
// list, and the catalogue Debian installs, where it is installed.

#include "hostkit/report/label_stock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "common/error.h"
#include "hostkit/report/builtin_stock.h"
#include "hostkit/report/stock_file.h"
#include "support/database_backends.h"
#include "support/files.h"

namespace briskal::hostkit::report {
namespace {

namespace fs = std::filesystem;

const fs::path kInstalled = "/usr/share/libglabels-3.0/templates";

std::string errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.description();
  }
  return "";
}

// Names exactly, measures to a millionth of a millimetre: units are converted in floating point.
void expectStock(const LabelStock& actual, const LabelStock& expected) {
  EXPECT_EQ(actual.name(), expected.name());
  EXPECT_EQ(actual.description, expected.description);
  EXPECT_EQ(actual.paper, expected.paper);
  EXPECT_EQ(actual.columns, expected.columns);
  EXPECT_EQ(actual.rows, expected.rows);
  for (const auto field :
       {&LabelStock::sheetWidth, &LabelStock::sheetHeight, &LabelStock::labelWidth, &LabelStock::labelHeight,
        &LabelStock::x0, &LabelStock::y0, &LabelStock::dx, &LabelStock::dy})
    EXPECT_NEAR(actual.*field, expected.*field, 1e-6);
}

TEST(StockLengths, EveryUnitBecomesMillimetres) {
  EXPECT_DOUBLE_EQ(*catalogueLength("12.5mm"), 12.5);
  EXPECT_DOUBLE_EQ(*catalogueLength("2cm"), 20);
  EXPECT_DOUBLE_EQ(*catalogueLength("1in"), 25.4);
  EXPECT_DOUBLE_EQ(*catalogueLength("72pt"), 25.4);
  EXPECT_DOUBLE_EQ(*catalogueLength("6pc"), 25.4);
  EXPECT_DOUBLE_EQ(*catalogueLength("144"), 50.8) << "a bare number is in points";
  EXPECT_DOUBLE_EQ(*catalogueLength(" 3 mm "), 3);
  EXPECT_DOUBLE_EQ(*catalogueLength(""), 0);
  for (const char* bad : {"mm", "12furlongs", "-1mm", "1e999in", "1.2.3mm"})
    EXPECT_FALSE(catalogueLength(bad)) << bad;
}

// A folder with a paper-sizes file of its own and two catalogue files.
class StockFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::temporaryFolder();
    testing::writeFile(folder_ / "paper-sizes.xml", R"(<?xml version="1.0"?>
<Glabels-paper-sizes>
  <Paper-size id="A4" _name="A4" width="210mm" height="297mm"/>
  <Paper-size id="Card" _name="Card" width="4in" height="6in"/>
</Glabels-paper-sizes>)");
    testing::writeFile(folder_ / "acme-templates.xml", R"(<?xml version="1.0"?>
<Glabels-templates>
  <!-- a comment with <Template brand="No" part="1"/> in it -->
  <Template brand="Acme" part="A-21" size="A4" _description="Tom &amp; Jerry">
    <Meta category="label"/>
    <Label-rectangle id="0" width="63.5mm" height="1.5in" round="2mm">
      <Markup-margin size="5"/>
      <Layout nx="3" ny="7" x0="7.2mm" y0="15.15mm" dx="66mm" dy="1.5in"/>
      <Layout nx="1" ny="1" x0="0" y0="0" dx="0" dy="0"/>
    </Label-rectangle>
  </Template>
  <Template brand="Acme" part="R-6" size="Card" _description="Dots">
    <Label-round id="0" radius="36pt"><Layout nx="2" ny="3" x0="1cm" y0="1cm" dx="3cm" dy="3cm"/></Label-round>
  </Template>
  <Template brand="Acme" part="Own" size="Other" width="100mm" height="50mm">
    <Label-rectangle id="0" width="90mm" height="40mm"><Layout nx="1" ny="1" x0="5mm" y0="5mm"/></Label-rectangle>
  </Template>
  <Template brand="Acme" part="CD-2" size="A4"><Label-cd id="0" radius="58mm" hole="20mm"/></Template>
  <Template brand="Acme" part="B-21" equiv="A-21"/>
  <Template brand="Acme" part="C-21" equiv="B-21" _description="Copy of a copy"/>
  <Template brand="Acme" part="CD-3" equiv="CD-2"/>
  <Template brand="Acme" part="Lost" equiv="Nowhere"/>
  <Template brand="Acme" part="Odd" size="Tabloid">
    <Label-rectangle id="0" width="10mm" height="10mm"><Layout nx="1" ny="1"/></Label-rectangle>
  </Template>
</Glabels-templates>)");
  }
  fs::path folder_;
};

TEST_F(StockFolder, ProductsTakeTheirPaperUnitsAndFirstGrid) {
  const StockCatalogue catalogue = StockCatalogue::load(folder_);
  EXPECT_EQ(catalogue.source(), folder_.string());
  const LabelStock* a21 = catalogue.find("Acme A-21");
  ASSERT_NE(a21, nullptr);
  expectStock(*a21, (LabelStock{"Acme", "A-21", "Tom & Jerry", "A4", 210, 297, 63.5, 38.1, 3, 7, 7.2, 15.15,
                                66, 38.1}));
  const LabelStock* round = catalogue.find("Acme R-6");
  ASSERT_NE(round, nullptr);
  expectStock(*round,
              (LabelStock{"Acme", "R-6", "Dots", "Card", 101.6, 152.4, 25.4, 25.4, 2, 3, 10, 10, 30, 30}));
  const LabelStock* own = catalogue.find("Acme Own");
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->paper, "");
  EXPECT_DOUBLE_EQ(own->sheetWidth, 100);
  EXPECT_DOUBLE_EQ(own->dx, 0) << "one column needs no pitch";
}

TEST_F(StockFolder, EquivalentsCopyTheGeometryAndKeepTheirNames) {
  const StockCatalogue catalogue = StockCatalogue::load(folder_);
  const LabelStock& a21 = catalogue.get("Acme A-21");
  LabelStock expected = a21;
  expected.part = "C-21";
  expected.description = "Copy of a copy";
  expectStock(catalogue.get("Acme C-21"), expected);
  expected.part = "B-21";
  expected.description = a21.description;
  expectStock(catalogue.get("Acme B-21"), expected);
}

TEST_F(StockFolder, WhatCannotBeUsedIsLeftOutAndOnlyFaultsAreWarned) {
  const StockCatalogue catalogue = StockCatalogue::load(folder_);
  for (const char* name : {"Acme CD-2", "Acme CD-3", "Acme Lost", "Acme Odd", "No 1"})
    EXPECT_EQ(catalogue.find(name), nullptr) << name;
  ASSERT_EQ(catalogue.warnings().size(), 2U) << ::testing::PrintToString(catalogue.warnings());
  EXPECT_NE(catalogue.warnings()[0].find("Acme Lost left out: its equivalent Acme Nowhere"),
            std::string::npos);
  EXPECT_NE(catalogue.warnings()[1].find("Acme Odd left out: unknown paper Tabloid"), std::string::npos);
}

TEST_F(StockFolder, AMalformedFileIsSkippedWithOneWarning) {
  testing::writeFile(
      folder_ / "broken-templates.xml",
      "<Glabels-templates>\n<Template brand=\"X\" part=\"1\" size=\"A4\">\n</Glabels-templates>");
  const StockCatalogue catalogue = StockCatalogue::load(folder_);
  EXPECT_NE(catalogue.find("Acme A-21"), nullptr) << "the other files are read";
  size_t broken = 0;
  for (const std::string& warning : catalogue.warnings())
    if (warning.find("broken-templates.xml skipped: broken-templates.xml:3:") != std::string::npos) ++broken;
  EXPECT_EQ(broken, 1U) << ::testing::PrintToString(catalogue.warnings());
}

TEST_F(StockFolder, LookupsIgnoreCaseAndSpacingAndSuggestTheClosest) {
  const StockCatalogue catalogue = StockCatalogue::load(folder_);
  EXPECT_EQ(catalogue.find("  acme   a-21 "), catalogue.find("Acme A-21"));
  EXPECT_EQ(catalogue.closest("Acme A-12"),
            (std::vector<std::string>{"Acme A-21", "Acme B-21", "Acme C-21"}));
  EXPECT_EQ(catalogue.closest("acme r6", 1), std::vector<std::string>{"Acme R-6"});
  const std::string error = errorOf([&] { catalogue.get("Acme A-12"); });
  EXPECT_NE(error.find("There is no label stock 'Acme A-12'"), std::string::npos) << error;
  EXPECT_NE(error.find("the closest: Acme A-21, Acme B-21, Acme C-21"), std::string::npos) << error;
}

TEST(BuiltInStock, ServesWithoutTheCatalogueFolder) {
  for (const fs::path& folder : {fs::path("/nonexistent/stock"), fs::path(testing::temporaryFolder())}) {
    const StockCatalogue catalogue = StockCatalogue::load(folder);
    EXPECT_EQ(catalogue.source(), "the built-in list");
    EXPECT_EQ(catalogue.products().size(), builtInStock().size());
    const LabelStock& l7173 = catalogue.get("avery l7173");
    EXPECT_EQ(l7173.perSheet(), 10);
    EXPECT_NEAR(l7173.top(9) + l7173.labelHeight, 297 - 6, 1e-9) << "6 mm left under the last row";
    const LabelStock& letter = catalogue.get("Avery 5160");
    EXPECT_NEAR(letter.sheetWidth, 215.9, 1e-9);
    EXPECT_NEAR(letter.sheetHeight, 279.4, 1e-9);
  }
}

TEST(BuiltInStock, EveryProductFitsItsSheet) {
  // The catalogue's figures for Zweckform 3475 run 0.15 mm past the side of the sheet.
  constexpr double kSlack = 0.2;
  for (const LabelStock& s : builtInStock()) {
    SCOPED_TRACE(s.name());
    const int last = s.perSheet() - 1;
    EXPECT_LE(s.left(last) + s.labelWidth, s.sheetWidth + kSlack);
    EXPECT_LE(s.top(last) + s.labelHeight, s.sheetHeight + kSlack);
    EXPECT_GE(s.dx, s.columns > 1 ? s.labelWidth - 1e-9 : 0);
    EXPECT_GE(s.dy, s.rows > 1 ? s.labelHeight - 1e-9 : 0);
  }
}

class InstalledStock : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_directory(kInstalled)) GTEST_SKIP() << "glabels-data is not installed";
  }
};

TEST_F(InstalledStock, LoadsInUnderASecondWithoutWarnings) {
  const auto start = std::chrono::steady_clock::now();
  const StockCatalogue catalogue = StockCatalogue::load(kInstalled);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(1));
  EXPECT_GT(catalogue.products().size(), 1500U);
  EXPECT_EQ(catalogue.warnings(), std::vector<std::string>{});
}

TEST_F(InstalledStock, GivesTheCataloguesFiguresInMillimetres) {
  const StockCatalogue catalogue = StockCatalogue::load(kInstalled);
  // Avery 7160, whose equivalent L7160 is: width="181.4" height="108.0", x0="21.2" y0="43.9"
  // dx="187.2" dy="108.0" in points, on A4.
  const LabelStock& l7160 = catalogue.get("Avery L7160");
  EXPECT_EQ(l7160.paper, "A4");
  EXPECT_DOUBLE_EQ(l7160.sheetWidth, 210);
  EXPECT_EQ(l7160.columns, 3);
  EXPECT_EQ(l7160.rows, 7);
  EXPECT_NEAR(l7160.labelWidth, 63.994, 0.001);
  EXPECT_NEAR(l7160.labelHeight, 38.1, 1e-9);
  EXPECT_NEAR(l7160.x0, 7.479, 0.001);
  EXPECT_NEAR(l7160.y0, 15.487, 0.001);
  EXPECT_NEAR(l7160.dx, 66.04, 1e-9);
  // Avery 5160 in inches on US Letter: 3 x 10 labels of 2.625 x 1 in from 0.15625, 0.5 in.
  const LabelStock& a5160 = catalogue.get("Avery 5160");
  EXPECT_EQ(a5160.paper, "US-Letter");
  EXPECT_NEAR(a5160.sheetHeight, 279.4, 1e-9);
  EXPECT_NEAR(a5160.left(29), 3.96875 + 2 * 70.64375, 1e-9);
  EXPECT_NEAR(a5160.top(29), 12.7 + 9 * 25.4, 1e-9);
}

TEST_F(InstalledStock, TheBuiltInListAgreesWithIt) {
  const StockCatalogue catalogue = StockCatalogue::load(kInstalled);
  int compared = 0;
  for (const LabelStock& builtIn : builtInStock()) {
    const LabelStock* listed = catalogue.find(builtIn.name());
    if (!listed) continue;
    SCOPED_TRACE(builtIn.name());
    ++compared;
    expectStock(*listed, builtIn);
  }
  EXPECT_EQ(compared, 9) << "all but Avery L7173, which the catalogue lacks";
}

}  // namespace
}  // namespace briskal::hostkit::report
