#include "hostkit/designer/design_document.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "common/convert.h"
#include "common/routines.h"
#include "data/connection.h"
#include "hostkit/demo/demo_database.h"
#include "hostkit/designer/live_labels.h"
#include "hostkit/designer/support_fields.h"
#include "hostkit/report/template_parser.h"
#include "params/order_line_query.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "test_helpers.h"

namespace briskal::hostkit::designer {
namespace {

using report::BoxItem;
using report::LineItem;
using report::TextItem;

// Margins and a second section, so that label coordinates differ from the items' own.
const std::string kLabel =
    "# three items\n"
    "page kind=label width=100 height=60 margin-left=5 margin-top=3\n"
    "section name=A height=30\n"
    "  box x=10 y=5 w=10 h=4   # anchor\n"
    "  text x=30 y=8 w=20 h=6 value=\"b\"\n"
    "\n"
    "  line x1=70 y1=20 x2=60 y2=2\n"
    "section name=B height=20\n"
    "  box x=0 y=0 w=5 h=5\n";

DesignDocument open(const std::string& text) { return DesignDocument(text, "T.rpt", {}); }
Box bounds(const DesignDocument& d, size_t s, size_t i) { return boundsOf(d.item({s, i})); }
std::string shipped() {
  return testing::readFile(std::string(BRISKAL_DATA_FOLDER) + "/reports/CRPD_BRISKLABPERS.rpt");
}
void expectTextReadsBack(const DesignDocument& d) {
  EXPECT_EQ(report::parseTemplate(d.text(), "T.rpt", {}), d.current()) << d.text();
}

TEST(DesignDocument, EditsUndoneGiveBackTheOpenedTextAndRedoGivesBackTheEdits) {
  for (const std::string& original : {kLabel, shipped()}) {
    ASSERT_FALSE(original.empty());
    DesignDocument d = open(original);
    d.select({{0, 2}, {0, 0}});
    d.moveSelection(1.5, 2);
    d.resize({0, 1}, {4, 4, 30, 3});
    d.align(Edge::Top);
    d.raise();
    d.copySelection();
    d.paste();
    d.add(
        [] {
          BoxItem b;
          b.x = b.y = 1, b.width = b.height = 2;
          return b;
        }(),
        0);
    d.select({{0, 1}});
    d.removeSelection();
    EXPECT_TRUE(d.modified());
    expectTextReadsBack(d);
    const report::ReportTemplate edited = d.current();
    const std::string editedText = d.text();
    int steps = 0;
    for (; d.canUndo(); ++steps) d.undo();
    EXPECT_EQ(steps, 7);
    EXPECT_EQ(d.text(), original);
    EXPECT_FALSE(d.modified());
    while (d.canRedo()) d.redo();
    EXPECT_EQ(d.current(), edited);
    EXPECT_EQ(d.text(), editedText);
    // An edit made after an undo forgets what could have been redone.
    d.undo();
    d.moveSelection(1, 0);
    EXPECT_FALSE(d.canRedo());
    // Saving makes the saved text the one the document starts from.
    const std::string saved = d.text();
    d.saved(saved, {});
    EXPECT_FALSE(d.modified());
    EXPECT_FALSE(d.canUndo());
    EXPECT_EQ(d.text(), saved);
  }
}

TEST(DesignDocument, AlignsToTheLowestChosenItemAndLinesKeepTheirDirection) {
  struct Case {
    Edge edge;
    Box text, line;  // where the text and the line end up
  };
  for (const Case& c :
       {Case{Edge::Left, {10, 8, 20, 6}, {10, 2, 10, 18}}, Case{Edge::Top, {30, 5, 20, 6}, {60, 5, 10, 18}},
        Case{Edge::CentreX, {5, 8, 20, 6}, {10, 2, 10, 18}},
        Case{Edge::Right, {0, 8, 20, 6}, {10, 2, 10, 18}},
        Case{Edge::Bottom, {30, 3, 20, 6}, {60, 0, 10, 18}}}) {
    SCOPED_TRACE(static_cast<int>(c.edge));
    DesignDocument d = open(kLabel);
    d.select({{0, 2}, {0, 1}, {0, 0}});
    d.align(c.edge);
    EXPECT_EQ(bounds(d, 0, 0).x, 10);
    EXPECT_EQ(bounds(d, 0, 0).y, 5);
    const Box t = bounds(d, 0, 1), l = bounds(d, 0, 2);
    EXPECT_EQ(std::vector<double>({t.x, t.y, t.width, t.height}),
              std::vector<double>({c.text.x, c.text.y, 20, 6}));
    EXPECT_EQ(std::vector<double>({l.x, l.y, l.width, l.height}),
              std::vector<double>({c.line.x, c.line.y, 10, 18}));
    const auto& line = std::get<LineItem>(d.item({0, 2}));
    EXPECT_GT(line.x1, line.x2);
    EXPECT_GT(line.y1, line.y2);
    expectTextReadsBack(d);
  }
  // A line scaled into a new box keeps which end is where.
  report::TemplateItem item = LineItem{10, 0, 0, 20, 0.3, {}};
  setBounds(item, {5, 5, 20, 40});
  EXPECT_EQ(std::get<LineItem>(item), (LineItem{25, 5, 5, 45, 0.3, {}}));
}

TEST(DesignDocument, DistributesWithEqualGapsTheOutermostStaying) {
  const std::string text =
      "page kind=label width=100 height=60\nsection name=D height=60\n"
      "  box x=0 y=30 w=10 h=4\n  box x=40 y=0 w=10 h=6\n  box x=12 y=9 w=5 h=2\n";
  DesignDocument d = open(text);
  d.select({{0, 0}, {0, 1}});
  d.distribute(Axis::Horizontal);
  EXPECT_FALSE(d.canUndo()) << "two items have nothing between them";
  d.select({{0, 0}, {0, 1}, {0, 2}});
  d.distribute(Axis::Horizontal);  // 25 mm of boxes over 50: gaps of 12.5
  EXPECT_EQ(bounds(d, 0, 0).x, 0);
  EXPECT_EQ(bounds(d, 0, 2).x, 22.5);
  EXPECT_EQ(bounds(d, 0, 1).x, 40);
  d.distribute(Axis::Vertical);  // 12 mm over 34, ordered 1, 2, 0: gaps of 11
  EXPECT_EQ(bounds(d, 0, 1).y, 0);
  EXPECT_EQ(bounds(d, 0, 2).y, 17);
  EXPECT_EQ(bounds(d, 0, 0).y, 30);
  expectTextReadsBack(d);
}

TEST(DesignDocument, RaiseAndLowerMoveChosenItemsTogetherInDrawingOrder) {
  const std::string text =
      "page kind=label width=50 height=20\nsection name=D height=20\n"
      "  text x=0 y=0 w=5 h=5 value=\"A\"\n  text x=0 y=0 w=5 h=5 value=\"B\"\n"
      "  text x=0 y=0 w=5 h=5 value=\"C\"\n  text x=0 y=0 w=5 h=5 value=\"D\"\n";
  DesignDocument d = open(text);
  const auto order = [&] {
    std::string out;
    for (const auto& i : d.current().sections[0].items) out += std::get<TextItem>(i).source.text;
    return out;
  };
  d.select({{0, 2}, {0, 1}});
  d.raise();
  EXPECT_EQ(order(), "ADBC");
  EXPECT_EQ(d.selection(), (std::vector<ItemRef>{{0, 2}, {0, 3}}));
  expectTextReadsBack(d);
  d.raise();  // already on top: nothing to undo
  d.lower();
  d.lower();
  EXPECT_EQ(order(), "BCAD");
  d.lower();
  EXPECT_EQ(order(), "BCAD");
  expectTextReadsBack(d);
  int steps = 0;
  for (; d.canUndo(); ++steps) d.undo();
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(d.text(), text);
}

TEST(DesignDocument, PastedCopiesAreNewOffsetItemsAndMovesStayOnTheLabel) {
  DesignDocument d = open(kLabel);
  d.select({{0, 0}, {0, 2}});
  d.copySelection();
  d.paste();
  ASSERT_EQ(d.current().sections[0].items.size(), 5u);
  EXPECT_EQ(d.selection(), (std::vector<ItemRef>{{0, 3}, {0, 4}}));
  const Box box = bounds(d, 0, 3), line = bounds(d, 0, 4);
  EXPECT_EQ(std::vector<double>({box.x, box.y, line.x, line.y}), std::vector<double>({12, 7, 62, 4}));
  // The copies are written as new lines; the opened ones keep theirs.
  const std::string pasted = d.text();
  EXPECT_NE(pasted.find("  box x=10 y=5 w=10 h=4   # anchor\n"), std::string::npos) << pasted;
  EXPECT_EQ(testing::occurrences(pasted, "box x="), 3u) << pasted;
  expectTextReadsBack(d);
  // Moved far up and left, every item stops at the section's edge, keeping its size.
  d.select({{0, 1}, {0, 2}, {0, 4}});
  d.moveSelection(-100, -100);
  for (size_t i : {1, 2, 4}) {
    EXPECT_EQ(bounds(d, 0, i).x, 0);
    EXPECT_EQ(bounds(d, 0, i).y, 0);
  }
  EXPECT_EQ(bounds(d, 0, 2).width, 10);
  d.moveSelection(-1, -1);  // nothing moves, nothing to undo
  d.undo();
  d.undo();
  EXPECT_EQ(d.text(), kLabel);
  EXPECT_FALSE(d.modified());
}

TEST(DesignDocument, FindsItemsAndSectionsAtLabelPoints) {
  DesignDocument d = open(kLabel);
  EXPECT_EQ(d.sectionTop(0), 3);
  EXPECT_EQ(d.sectionTop(1), 33);
  EXPECT_EQ(d.sectionAt(10), 0u);
  EXPECT_EQ(d.sectionAt(33), 1u);
  // The box of section A lies at 15..25 x 8..12 on the label, past the margins.
  EXPECT_EQ(d.itemAt(16, 9), (ItemRef{0, 0}));
  EXPECT_EQ(d.itemAt(11, 9), std::nullopt);
  EXPECT_EQ(d.itemAt(7.5, 35), (ItemRef{1, 0}));
  EXPECT_EQ(d.itemAt(7.5, 31), std::nullopt);
  // Where two items overlap the one drawn last is found.
  d.resize({0, 1}, {8, 4, 20, 6});
  EXPECT_EQ(d.itemAt(16, 9), (ItemRef{0, 1}));
}

TEST(DesignDocument, TextsThatAreNoTemplateNameLineAndColumn) {
  EXPECT_EQ(
      testing::errorText([] {
        open("page kind=label width=10 height=10\nsection name=D height=10\n  box x=1 y=oops w=2 h=2\n");
      }).substr(0, 12),
      "T.rpt:3:13: ");
  EXPECT_EQ(
      testing::errorText([] { open("page kind=label width=10 height=10\n  frobnicate\n"); }).substr(0, 11),
      "T.rpt:2:3: ");
}

TEST(SupportFields, EveryFieldHasItsOwnCaptionAndTheCaptionRecordShowsThem) {
  const auto& fields = supportFields();
  ASSERT_EQ(fields.size(), 82u);
  std::map<std::string, std::string> byCaption;
  for (const SupportField& f : fields) {
    EXPECT_NE(f.caption, f.name);
    const auto [at, added] = byCaption.emplace(f.caption, f.name);
    EXPECT_TRUE(added) << f.name << " and " << at->second << " are both \"" << f.caption << '"';
  }
  const auto record = captionRecord([](const std::string& c) { return "<" + c + ">"; });
  ASSERT_EQ(record->recordCount(), 1);
  ASSERT_EQ(record->fieldCount(), 82u);
  for (const SupportField& f : fields) EXPECT_EQ(toText(record->value(f.name), kIt), "[<" + f.caption + ">]");
}

class LiveLabelsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    connection_ = new data::Connection;
    connection_->setConnectionString(briskal::testing::freshDatabase("sqlite"));
    connection_->open();
    createDemoDatabase(*connection_, {400, 7});
  }
  static void TearDownTestSuite() { delete connection_; }
  static data::Connection* connection_;
};
data::Connection* LiveLabelsTest::connection_ = nullptr;

TEST_F(LiveLabelsTest, ListsTheCompanysLinesAndGivesTheirLabels) {
  LiveLabels live(*connection_, 1, kIt);
  ASSERT_FALSE(live.lines().empty());
  const std::regex title("[0-9]+/[0-9]+(\\.[0-9]+)? · [^ ]+ · .+");
  for (const std::string& t : live.lines()) EXPECT_TRUE(std::regex_match(t, title)) << t;
  const std::string code = live.lines()[0].substr(live.lines()[0].find(" · ") + 4);
  const auto labels = live.labels(0);
  ASSERT_EQ(labels->fieldCount(), 82u);
  ASSERT_GE(labels->recordCount(), 1);
  EXPECT_EQ(std::string(Trim(toText(labels->value("DO30_CODART_MG66"), kIt))),
            code.substr(0, code.find(" · ")));
  EXPECT_TRUE(LiveLabels(*connection_, 99, kIt).lines().empty());
}

// The labels of a line are one per unit of what is left of it: their quantities add up to it.
Decimal labelledQuantity(LiveLabels& live, size_t line, Decimal& residual) {
  const auto labels = live.labels(line);
  labels->moveFirst();
  residual = labels->value("QTARESIDUA").asDecimal();
  Decimal sum(0);
  for (; !labels->eof(); labels->moveNext()) sum = sum + labels->value("QTASUETICH").asDecimal();
  return sum;
}

// "3/4.1 · ..." and "3/4.2 · ..." are one order line's two cycle details.
std::string orderLine(const std::string& title) { return title.substr(0, title.find_first_of(". ")); }

TEST_F(LiveLabelsTest, ALinesLabelsAddUpToWhatIsLeftOfIt) {
  LiveLabels live(*connection_, 1, kIt);
  size_t twice = 0;  // a line with two cycle details, listed once for each
  while (twice + 1 < live.lines().size() &&
         orderLine(live.lines()[twice]) != orderLine(live.lines()[twice + 1]))
    ++twice;
  ASSERT_LT(twice + 1, live.lines().size()) << "the demo data has no line with two cycle details";
  for (size_t line : {size_t{0}, size_t{1}, size_t{2}, twice, twice + 1}) {
    SCOPED_TRACE(live.lines()[line]);
    Decimal residual;
    const Decimal sum = labelledQuantity(live, line, residual);
    EXPECT_EQ(sum, residual) << sum.toString() << " labelled of " << residual.toString();
  }
}

TEST_F(LiveLabelsTest, AQuoteInARegistrationCannotBreakTheQuery) {
  params::OrderLineQueryOptions options;
  options.company = "1";
  options.orderType = "24";
  const data::StatementResult first = connection_->execute(params::composeOrderLineQuery(options));
  ASSERT_TRUE(first.rows && first.rows->rowCount > 0);
  size_t column = 0;
  while (first.rows->columns[column].name != "DO30_NUMREG_CO99") ++column;
  const std::string registration = toText(first.rows->cells[column], kIt);
  // A quote sorts before digits and letters: the renamed order stays the first line.
  const std::string quoted = "'" + registration.substr(1);
  for (const char* table :
       {"DO11_TESTATE", "DO30_RIGHE", "DO31_CONSEGNE", "DO33_RIFORDCLI", "DO41_PROGCOMM", "DO46_CICLO"}) {
    const std::string prefix = std::string(table).substr(0, 4);
    connection_->execute("UPDATE " + std::string(table) + " SET " + prefix + "_NUMREG_CO99 = '''" +
                         registration.substr(1) + "' WHERE " + prefix + "_NUMREG_CO99 = '" + registration +
                         "'");
  }
  // A line without an item code or a description is listed too, with nothing in their places.
  connection_->execute(
      "UPDATE DO30_RIGHE SET DO30_CODART_MG66 = NULL, DO30_DESCART = NULL WHERE DO30_NUMREG_CO99 = '''" +
      registration.substr(1) + "'");
  LiveLabels live(*connection_, 1, kIt);
  ASSERT_FALSE(live.lines().empty());
  EXPECT_TRUE(live.lines()[0].ends_with(" ·  · ")) << live.lines()[0];
  EXPECT_GE(live.labels(0)->recordCount(), 1);
  EXPECT_EQ(toText(live.labels(0)->value("DO11_NUMREG_CO99"), kIt).substr(0, quoted.size()), quoted);
}

}  // namespace
}  // namespace briskal::hostkit::designer
