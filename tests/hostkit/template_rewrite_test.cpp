#include "hostkit/report/template_rewrite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "hostkit/report/template_parser.h"
#include "support/files.h"

namespace briskal::hostkit::report {
namespace {

namespace fs = std::filesystem;

ReportTemplate parsed(const std::string& text) { return parseTemplate(text, "T.rpt", {}); }

// Edits `text` as `edit` says and checks that the result reads back as the edited template.
template <typename Edit>
std::string edited(const std::string& text, Edit&& edit) {
  const ReportTemplate read = parsed(text);
  ReportTemplate changed = read;
  edit(changed);
  const std::string written = rewriteTemplate(text, read, changed);
  EXPECT_EQ(parsed(written), changed) << written;
  return written;
}

TEST(TemplateRewrite, ATemplateSavedUnchangedKeepsEveryByte) {
  std::vector<fs::path> files;
  for (const fs::path& folder : {fs::path(BRISKAL_DATA_FOLDER) / "reports", fs::path(BRISKAL_FUZZ_CORPUS)})
    for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
  ASSERT_GE(files.size(), 4U);
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    const std::string text = testing::readFile(file);
    ReportTemplate read;
    try {
      read = parseTemplate(text, file.filename().string(), file.parent_path());
    } catch (const Error&) {
      continue;  // the corpus holds templates the parser refuses, too
    }
    EXPECT_EQ(rewriteTemplate(text, read, read), text);
  }
  // Line ends, a byte order mark, comments and a last line without its line end.
  const std::string odd =
      "\xEF\xBB\xBF# label\r\npage kind=label   width=50 height=20\r\n\r\nsection name=D height=20 # one\r\n"
      "\ttext  y=1 x=1 w=20 h=5 value=\"a\"\r\n  box x=0 y=0 w=50 h=20";
  EXPECT_EQ(rewriteTemplate(odd, parsed(odd), parsed(odd)), odd);
}

TEST(TemplateRewrite, OnlyTheLinesOfChangedStatementsChange) {
  const std::string text =
      "# a label\n"
      "page kind=label width=50 height=20\n"
      "formula name=F text=\"x\"\n"
      "section name=D height=20\n"
      "  text y=1 x=1 w=20 h=5 value=\"a\"   # first\n"
      "\n"
      "  box x=0 y=0 w=50 h=20\n"
      "  line x1=0 y1=10 x2=50 y2=10\n"
      "# the end\n";
  // A moved item is written anew in its own line, with its indentation.
  EXPECT_EQ(
      edited(text, [](ReportTemplate& t) { std::get<BoxItem>(t.sections[0].items[1]).x = 1.5; }),
      "# a label\npage kind=label width=50 height=20\nformula name=F text=\"x\"\nsection name=D height=20\n"
      "  text y=1 x=1 w=20 h=5 value=\"a\"   # first\n\n  box x=1.5 y=0 w=50 h=20 thickness=0.3\n"
      "  line x1=0 y1=10 x2=50 y2=10\n# the end\n");
  // A removed item takes its line; those after it keep theirs, as written.
  EXPECT_EQ(
      edited(text, [](ReportTemplate& t) { t.sections[0].items.erase(t.sections[0].items.begin()); }),
      "# a label\npage kind=label width=50 height=20\nformula name=F text=\"x\"\nsection name=D height=20\n"
      "  box x=0 y=0 w=50 h=20\n\n  line x1=0 y1=10 x2=50 y2=10\n# the end\n");
  // A new item follows the section's last; a new formula the last formula; the page and the
  // section are written anew when they change.
  EXPECT_EQ(edited(text,
                   [](ReportTemplate& t) {
                     t.page.width = 60;
                     t.sections[0].height = 25;
                     t.formulas.push_back({"G", "y", {}});
                     t.sections[0].items.push_back(BoxItem{1, 2, 3, 4, 0.5, true, {}});
                   }),
            "# a label\npage kind=label width=60 height=20 margin-top=0 margin-bottom=0 margin-left=0 "
            "margin-right=0\n"
            "formula name=F text=\"x\"\nformula name=G text=\"y\"\nsection name=D kind=detail height=25\n"
            "  text y=1 x=1 w=20 h=5 value=\"a\"   # first\n\n  box x=0 y=0 w=50 h=20\n"
            "  line x1=0 y1=10 x2=50 y2=10\n  box x=1 y=2 w=3 h=4 thickness=0.5 filled\n# the end\n");
  // Items that swap places (raised or lowered) swap their texts.
  EXPECT_EQ(
      edited(text, [](ReportTemplate& t) { std::swap(t.sections[0].items[1], t.sections[0].items[2]); }),
      "# a label\npage kind=label width=50 height=20\nformula name=F text=\"x\"\nsection name=D height=20\n"
      "  text y=1 x=1 w=20 h=5 value=\"a\"   # first\n\n  line x1=0 y1=10 x2=50 y2=10\n"
      "  box x=0 y=0 w=50 h=20\n# the end\n");
}

TEST(TemplateRewrite, TheFirstFormulaOfATemplateFollowsItsPage) {
  const std::string text = "page kind=label width=50 height=20\nsection name=D height=20\n";
  EXPECT_EQ(edited(text,
                   [](ReportTemplate& t) {
                     t.formulas.push_back({"F", "x", {}});
                     TextItem formulaText;
                     formulaText.width = formulaText.height = 5;
                     formulaText.source = {ValueSource::Kind::Formula, "F"};
                     t.sections[0].items.push_back(formulaText);
                   }),
            "page kind=label width=50 height=20\nformula name=F text=\"x\"\nsection name=D height=20\n"
            "  text x=0 y=0 w=5 h=5 formula=F font=\"DejaVu Sans\" size=10 align=left\n");
}

TEST(TemplateRewrite, ItemsAddedToAnEmptySectionOrALastLineWithoutItsEndGetLinesOfTheirOwn) {
  const std::string empty = "page kind=label width=50 height=20\r\nsection name=D height=20";
  EXPECT_EQ(edited(empty,
                   [](ReportTemplate& t) {
                     t.sections[0].items.push_back(LineItem{0, 1, 2, 3, 0.3, {}});
                     t.sections[0].items.push_back(BoxItem{1, 2, 3, 4, 0.3, false, {}});
                   }),
            "page kind=label width=50 height=20\r\nsection name=D height=20\r\n"
            "  line x1=0 y1=1 x2=2 y2=3 thickness=0.3\r\n  box x=1 y=2 w=3 h=4 thickness=0.3");
}

}  // namespace
}  // namespace briskal::hostkit::report
