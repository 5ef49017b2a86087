// Labels on sheets: the places a stock gives them, sheets filled row by row from a starting place,
// and the template's stock attribute.

#include <gtest/gtest.h>

#include "common/error.h"
#include "hostkit/report/sheet_imposer.h"
#include "hostkit/report/template_parser.h"
#include "hostkit/report/template_writer.h"

namespace briskal::hostkit::report {
namespace {

// 3 x 7 labels of 60 x 38 mm on A4, at round figures: a label's place is plain to see.
const LabelStock kGrid{"Test", "3x7", "", "A4", 210, 297, 60, 38, 3, 7, 10, 15, 65, 38};

// A label whose box marks its own top left corner and whose line runs across it.
Page label(int number) {
  return Page{60,
              38,
              {BoxOp{0, 0, 60, 38, 0.3, false}, LineOp{1, 2, 59, 2, 0.3},
               TextOp{2, 3, 50, 5, std::to_string(number)}}};
}

std::vector<Page> impose(const LabelStock& stock, int start, int labels) {
  std::vector<Page> sheets;
  SheetImposer imposer(stock, start, [&](Page&& sheet) { sheets.push_back(std::move(sheet)); });
  for (int i = 1; i <= labels; ++i) imposer.add(label(i));
  imposer.finish();
  return sheets;
}

struct Corner {
  double x, y;
  friend bool operator==(const Corner&, const Corner&) = default;
};
void PrintTo(const Corner& c, std::ostream* out) { *out << "(" << c.x << ", " << c.y << ")"; }

// Where each label's box went on the sheet.
std::vector<Corner> boxes(const Page& sheet) {
  std::vector<Corner> corners;
  for (const DrawingOp& op : sheet.ops)
    if (const auto* box = std::get_if<BoxOp>(&op)) corners.push_back({box->x, box->y});
  return corners;
}

TEST(LabelSheets, LabelsFillASheetRowByRowAtTheStocksPlaces) {
  const std::vector<Page> sheets = impose(kGrid, 1, 21);
  ASSERT_EQ(sheets.size(), 1U);
  EXPECT_EQ(sheets[0].width, 210);
  EXPECT_EQ(sheets[0].height, 297);
  const std::vector<Corner> placed = boxes(sheets[0]);
  ASSERT_EQ(placed.size(), 21U);
  EXPECT_EQ(placed[0], (Corner{10, 15}));
  EXPECT_EQ(placed[1], (Corner{75, 15}));
  EXPECT_EQ(placed[2], (Corner{140, 15}));
  EXPECT_EQ(placed[3], (Corner{10, 53}));
  EXPECT_EQ(placed[20], (Corner{140, 243}));
  // Every operation of a label moves with it, unscaled.
  const auto* line = std::get_if<LineOp>(&sheets[0].ops[4]);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ((std::array{line->x1, line->y1, line->x2, line->y2}), (std::array{76.0, 17.0, 134.0, 17.0}));
  const auto* text = std::get_if<TextOp>(&sheets[0].ops[5]);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text, "2");
  EXPECT_EQ((Corner{text->x, text->y}), (Corner{77, 18}));
}

TEST(LabelSheets, AStartingPlaceLeavesTheEarlierPlacesEmpty) {
  const std::vector<Page> sheets = impose(kGrid, 5, 3);
  ASSERT_EQ(sheets.size(), 1U);
  // Place 5 of a sheet 3 across is the second row's second label.
  EXPECT_EQ(boxes(sheets[0]), (std::vector<Corner>{{75, 53}, {140, 53}, {10, 91}}));
}

TEST(LabelSheets, ARunStartingLateOnASheetGoesOnToTheNext) {
  const std::vector<Page> sheets = impose(kGrid, 20, 21);
  ASSERT_EQ(sheets.size(), 2U);
  EXPECT_EQ(boxes(sheets[0]), (std::vector<Corner>{{75, 243}, {140, 243}}));
  const std::vector<Corner> second = boxes(sheets[1]);
  ASSERT_EQ(second.size(), 19U);
  EXPECT_EQ(second.front(), (Corner{10, 15}));
  EXPECT_EQ(second.back(), (Corner{10, 243}));
  const auto* last = std::get_if<TextOp>(&sheets[1].ops.back());
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->text, "21");
}

TEST(LabelSheets, SheetsAreHandedOnAsSoonAsTheyAreFull) {
  int handed = 0;
  SheetImposer imposer(kGrid, 1, [&](Page&&) { ++handed; });
  for (int i = 1; i <= 21; ++i) imposer.add(label(i));
  EXPECT_EQ(handed, 1);
  imposer.add(label(22));
  EXPECT_EQ(handed, 1);
  imposer.finish();
  EXPECT_EQ(handed, 2);
  EXPECT_TRUE(impose(kGrid, 7, 0).empty()) << "no labels, no sheets";
}

TEST(LabelSheets, AStartingPlaceOffTheSheetIsRefused) {
  for (const int start : {0, 22}) {
    try {
      impose(kGrid, start, 1);
      ADD_FAILURE() << start << " was taken";
    } catch (const Error& e) {
      EXPECT_EQ(e.description(),
                "A sheet of Test 3x7 has places 1 to 21: the run cannot start at " + std::to_string(start));
    }
  }
}

TEST(LabelSheets, TheTemplateNamesItsStockAndWritesItBack) {
  const std::string text =
      "page kind=label width=63.5 height=38.1 stock=\"Avery L7160\"\n"
      "section name=D height=38\n"
      "  box x=0 y=0 w=60 h=38\n";
  const ReportTemplate parsed = parseTemplate(text, "S.rpt", "/nonexistent");
  EXPECT_EQ(parsed.page.stock, "Avery L7160");
  const std::string written = writeTemplate(parsed);
  EXPECT_NE(written.find(" stock=\"Avery L7160\"\n"), std::string::npos) << written;
  EXPECT_EQ(parseTemplate(written, "S.rpt", "/nonexistent"), parsed);
  // Without a stock the page statement is written as before.
  ReportTemplate plain = parsed;
  plain.page.stock.clear();
  EXPECT_EQ(writeTemplate(plain).find("stock"), std::string::npos);
}

TEST(LabelSheets, AStockOnAReportPageOrWithoutANameIsRefused) {
  const auto errorOf = [](const std::string& page) {
    try {
      parseTemplate(page + "\nsection name=D height=5\n", "S.rpt", "/nonexistent");
    } catch (const Error& e) {
      return e.description();
    }
    return std::string();
  };
  EXPECT_EQ(errorOf("page stock=\"Avery L7160\""), "S.rpt:1:6: 'stock' applies to label pages");
  EXPECT_EQ(errorOf("page kind=label width=10 height=10 stock=\" \""), "S.rpt:1:42: the stock name is empty");
}

}  // namespace
}  // namespace briskal::hostkit::report
