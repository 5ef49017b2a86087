// Customisable labels on sheets of office labels from the command line: the pages a run prints,
// where its labels land, the options' usage errors, and the stock commands.

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

#include "cli/briskal_binary.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/process.h"

namespace briskal {
namespace {

using testing::runProcess;

class LabelSheets : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = testing::temporaryFolder();
    db_ = folder_ + "/demo.db";
    const auto made = runProcess(kBriskal, {"demo-db", "--out", db_, "--orders", "10", "--seed", "3"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    // A label of 60 x 35 mm with a filled box near its top left corner, marking where it lands.
    testing::writeFile(small_ = folder_ + "/small.rpt",
                       "page kind=label width=60 height=35\nsection name=Da height=35\n"
                       "  box x=2 y=2 w=20 h=10 filled\n");
    testing::writeFile(letter_ = folder_ + "/letter.rpt",
                       "page kind=label width=60 height=25 stock=\"Avery 5160\"\nsection name=Da height=25\n"
                       "  box x=2 y=2 w=20 h=10 filled\n");
    testing::writeFile(unknown_ = folder_ + "/unknown.rpt",
                       "page kind=label width=60 height=25 stock=\"Avery L7106\"\nsection name=Da height=25\n"
                       "  box x=2 y=2 w=20 h=10 filled\n");
  }
  // The customisable labels of two orders, one an order line unless `more` says how many.
  static testing::ProcessResult print(const std::vector<std::string>& more) {
    std::vector<std::string> args = {
        "--db", "Data Source=" + db_, "print", "--where", "Numero doc.=1..2", "--basis", "custom"};
    if (std::ranges::find(more, "--labels") == more.end()) args.insert(args.end(), {"--labels", "1"});
    args.insert(args.end(), more.begin(), more.end());
    return runProcess(kBriskal, args);
  }
  // The labels and pages a successful run says it printed.
  static std::pair<int, int> printed(const testing::ProcessResult& run) {
    std::smatch said;
    const std::regex line(R"(printed (\d+) labels? on (\d+) pages?)");
    if (!std::regex_search(run.err, said, line)) return {-1, -1};
    return {std::stoi(said[1]), std::stoi(said[2])};
  }
  // "W x H pts" of the PDF's first page, as pdfinfo gives it; empty without pdfinfo.
  static std::string pageSize(const std::string& pdf) {
    const std::string pdfinfo = testing::findProgram("pdfinfo");
    if (pdfinfo.empty()) return "";
    const auto info = runProcess(pdfinfo, {pdf});
    std::smatch size;
    std::regex_search(info.out, size, std::regex(R"(Page size:\s+(.*))"));
    return size[1];
  }
  static std::string folder_, db_, small_, letter_, unknown_;
};

std::string LabelSheets::folder_, LabelSheets::db_, LabelSheets::small_, LabelSheets::letter_,
    LabelSheets::unknown_;

size_t pdfPages(const std::string& pdf) {
  const std::regex page(R"(/Type\s*/Page[^s])");
  return static_cast<size_t>(
      std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

TEST_F(LabelSheets, APdfHoldsSheetsOfTheStockFilledFromTheStartingPlace) {
  const std::string pdf = folder_ + "/sheets.pdf";
  const auto run = print(
      {"--label", "custom", "--stock", "avery l7160", "--start-at", "20", "--labels", "12", "--out", pdf});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto [labels, pages] = printed(run);
  ASSERT_GT(labels, 2) << run.err;
  // Places 20 and 21 of the first sheet, then 21 a sheet.
  EXPECT_EQ(pages, 1 + (labels - 2 + 20) / 21);
  EXPECT_EQ(pdfPages(testing::readFile(pdf)), static_cast<size_t>(pages));
  if (const std::string size = pageSize(pdf); !size.empty()) {
    EXPECT_EQ(size, "595.276 x 841.89 pts (A4)");
  }
  EXPECT_NE(run.err.find("warning: the template's labels are larger than those of Avery L7160"),
            std::string::npos)
      << "the shipped label is 100 x 50 mm: " << run.err;
}

TEST_F(LabelSheets, TheTemplatesStockPrintsUnlessTheCommandLineNamesAnother) {
  const std::string pdf = folder_ + "/letter.pdf";
  const auto own = print({"--label", "custom", "--template", letter_, "--out", pdf});
  ASSERT_EQ(own.exitCode, 0) << own.err;
  const auto [labels, pages] = printed(own);
  EXPECT_EQ(pages, (labels + 29) / 30);
  if (const std::string size = pageSize(pdf); !size.empty()) {
    EXPECT_EQ(size, "612 x 792 pts (letter)");
  }
  const auto other =
      print({"--label", "custom", "--template", letter_, "--stock", "Avery L7163", "--out", pdf});
  ASSERT_EQ(other.exitCode, 0) << other.err;
  if (const std::string size = pageSize(pdf); !size.empty()) {
    EXPECT_EQ(size, "595.276 x 841.89 pts (A4)");
  }
}

TEST_F(LabelSheets, PngPixelsShowTheLabelsAtTheStocksPlaces) {
  const std::string png = folder_ + "/sheet.png";
  const auto run = print(
      {"--label", "custom", "--template", small_, "--stock", "Avery L7160", "--start-at", "5", "--out", png});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
  const std::string file = printed(run).second == 1 ? png : folder_ + "/sheet-1.png";
  cairo_surface_t* image = cairo_image_surface_create_from_png(file.c_str());
  ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS) << file;
  // A4 at 150 dots an inch.
  EXPECT_EQ(cairo_image_surface_get_width(image), 1241);
  const auto dark = [&](double xMm, double yMm) {
    const int x = static_cast<int>(xMm * 150 / 25.4), y = static_cast<int>(yMm * 150 / 25.4);
    const unsigned char* pixel =
        cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image) + x * 4;
    return pixel[0] < 128 && pixel[1] < 128 && pixel[2] < 128;
  };
  // Avery L7160: labels from 7.48, 15.49 mm, 66.04 mm across and 38.1 mm down; each box 2 mm in
  // from its label's corner, 20 x 10 mm. Place 5 is the second row's second label.
  const auto boxCentre = [](int place) {
    return std::pair(7.479 + (place - 1) % 3 * 66.04 + 12, 15.487 + (place - 1) / 3 * 38.1 + 7);
  };
  for (int place = 1; place <= 4; ++place) {
    const auto [x, y] = boxCentre(place);
    EXPECT_FALSE(dark(x, y)) << "place " << place << " stays empty";
  }
  const auto [x, y] = boxCentre(5);
  EXPECT_TRUE(dark(x, y)) << "the first label at place 5";
  EXPECT_FALSE(dark(x - 11, y)) << "the box starts 2 mm into its label";
  cairo_surface_destroy(image);
}

TEST_F(LabelSheets, SheetOptionsOutOfPlaceAreUsageErrors) {
  const std::string pdf = folder_ + "/refused.pdf";
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"--stock", "Avery L7160", "--out", pdf}, "--stock: applies to customisable labels"},
      {{"--label", "custom", "--stock", "Avery L7160", "--start-at", "22", "--out", pdf},
       "--start-at: a sheet of Avery L7160 has places 1 to 21"},
      {{"--label", "custom", "--stock", "Avery L7160", "--start-at", "0", "--out", pdf}, "--start-at"},
      {{"--label", "custom", "--start-at", "3", "--out", pdf}, "--start-at: the labels print on sheets only"},
      {{"--label", "custom", "--stock", "Avery L7106", "--out", pdf},
       "there is no label stock 'Avery L7106'"},
      {{"--label", "custom", "--stock", "Avery L7160", "--out", folder_ + "/labels.epl"},
       "--stock: applies to pages"},
  };
  for (const auto& c : cases) {
    const auto run = print(c.args);
    EXPECT_EQ(run.exitCode, 2) << c.says << ": " << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  }
  EXPECT_NE(print(cases[4].args).err.find("Avery L7160"), std::string::npos) << "the closest is named";
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(LabelSheets, AnUnknownStockInTheTemplateFailsTheRunNamingTheClosest) {
  const std::string pdf = folder_ + "/unknown.pdf";
  const auto run = print({"--label", "custom", "--template", unknown_, "--out", pdf});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.err.find("There is no label stock 'Avery L7106'"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Avery L7160"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST(StockCommands, ListFindsAndShowsProducts) {
  const auto found = runProcess(kBriskal, {"stock", "list", "--find", "l716"});
  ASSERT_EQ(found.exitCode, 0) << found.err;
  EXPECT_TRUE(found.out.starts_with("BRAND,PART,LABEL_WIDTH,LABEL_HEIGHT,COLUMNS,ROWS,SHEET\r\n"))
      << found.out;
  EXPECT_NE(found.out.find("\r\nAvery,L7160,63.99,38.1,3,7,A4\r\n"), std::string::npos) << found.out;
  EXPECT_EQ(found.out.find("5160"), std::string::npos) << found.out;
  const auto shown = runProcess(kBriskal, {"--format", "csv", "stock", "show", "AVERY  L7160"});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_NE(
      shown.out.find("\r\nAvery,L7160,63.99,38.1,3,7,A4,210,297,7.48,15.49,66.04,38.1,Mailing labels\r\n"),
      std::string::npos)
      << shown.out;
  const auto unknown = runProcess(kBriskal, {"stock", "show", "Avery L7106"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_NE(unknown.err.find("the closest: "), std::string::npos) << unknown.err;
  EXPECT_NE(unknown.err.find("Avery L7160"), std::string::npos) << unknown.err;
}

TEST(StockCommands, WithoutTheCatalogueTheBuiltInListServes) {
  ::setenv("BRISKAL_LABEL_STOCK", "/nonexistent/stock", 1);
  const auto listed = runProcess(kBriskal, {"stock", "list"});
  ::unsetenv("BRISKAL_LABEL_STOCK");
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_NE(listed.err.find("10 products of 10 from the built-in list"), std::string::npos) << listed.err;
  EXPECT_NE(listed.out.find("\r\nAvery,L7173,99.1,57,2,5,A4\r\n"), std::string::npos) << listed.out;
}

}  // namespace
}  // namespace briskal
