// The files a run leaves in the folder it writes to: what it writes under a temporary name, what
// it takes away of a killed run, and a PNG run's pages in place of an earlier run's of that name.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "hostkit/report/cairo_renderer.h"
#include "hostkit/report/staged_file.h"
#include "support/database_backends.h"
#include "support/files.h"

namespace briskal::hostkit::report {
namespace {

namespace fs = std::filesystem;

// The names in `folder`, sorted.
std::vector<std::string> folderListing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A file last written `age` ago.
void writeAgedFile(const fs::path& file, std::chrono::hours age) {
  testing::writeFile(file, "left here");
  fs::last_write_time(file, fs::file_time_type::clock::now() - age);
}

constexpr std::chrono::hours kDaysOld{24 * 3};

TEST(StagedOutput, IsWrittenUnderANameOfItsOwnAndTakesTheDestinationsPlaceOnCommit) {
  const fs::path folder = testing::temporaryFolder();
  const fs::path destination = folder / "labels.pdf";
  testing::writeFile(destination, "earlier");
  StagedFile first(destination);
  StagedFile second(destination);
  EXPECT_NE(first.path(), second.path());
  EXPECT_EQ(first.path().parent_path(), folder);
  EXPECT_TRUE(first.path().filename().string().starts_with(".briskal-staged-labels.pdf-")) << first.path();
  testing::writeFile(first.path(), "new");
  testing::writeFile(second.path(), "abandoned");
  StagedFile moved(std::move(second));
  first.commit();
  EXPECT_EQ(testing::readFile(destination), "new");
  EXPECT_FALSE(fs::exists(first.path()));
  const fs::path abandoned = moved.path();
  { const StagedFile gone(std::move(moved)); }
  EXPECT_FALSE(fs::exists(abandoned)) << "an uncommitted file goes with its object";
  EXPECT_EQ(folderListing(folder), std::vector<std::string>{"labels.pdf"});
}

// A run takes away what a killed run of ours left, once it is older than any run could be; a
// file of a run still at work, and any file of the user's, stay whatever their names look like.
TEST(StagedOutput, ARunTakesAwayOnlyOldFilesLeftByAKilledRunOfOurs) {
  const fs::path folder = testing::temporaryFolder();
  const std::string token = "00003039a1b2c3d4e5f60718";  // the writer's id, then random digits
  const std::vector<std::string> kept = {
      ".thesis.odt.part-999999",
      ".labels.pdf.part-999999-0",
      "briskal-staged-labels.pdf-" + token,
      ".briskal-staged-labels.pdf-" + token.substr(1),
      ".briskal-staged-labels.pdf-" + token + "0",
      ".briskal-staged-labels.pdf-00003039A1B2C3D4E5F60718",
      ".briskal-staged-labels.pdf-00003039a1b2c3d4e5f6071g",
      ".briskal-staged-labels.pdf_" + token,
      ".briskal-staged--" + token,
      ".briskal-staged-" + token,
  };
  for (const std::string& name : kept) writeAgedFile(folder / name, kDaysOld);
  const std::string folderOfOurs = ".briskal-staged-old.pdf-" + token;
  fs::create_directory(folder / folderOfOurs);
  fs::last_write_time(folder / folderOfOurs, fs::file_time_type::clock::now() - kDaysOld);
  const std::string inProgress = ".briskal-staged-other.pdf-" + token;
  writeAgedFile(folder / inProgress, std::chrono::hours(1));
  writeAgedFile(folder / (".briskal-staged-labels.pdf-" + token), kDaysOld);
  writeAgedFile(folder / (".briskal-staged-l-3.png-ffffffff" + token.substr(8)), kDaysOld);

  renderPdf({Page{10, 10, {}}}, folder / "labels.pdf");

  std::vector<std::string> expected = kept;
  expected.insert(expected.end(), {folderOfOurs, inProgress, "labels.pdf"});
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(folderListing(folder), expected);
}

// Each case renders runs of these many pages one after the other into l.png, among files that
// are not pages of a run of that name; the last run's pages are all that is left of the runs.
struct PngRuns {
  const char* name;
  std::vector<size_t> pages;
  std::vector<std::string> left;
};

void PrintTo(const PngRuns& runs, std::ostream* out) { *out << runs.name; }

class PngRunIntoAnEarlierName : public ::testing::TestWithParam<PngRuns> {};

TEST_P(PngRunIntoAnEarlierName, ReplacesTheEarlierRunsPagesAsAWhole) {
  const fs::path folder = testing::temporaryFolder();
  const std::vector<std::string> unrelated = {"l-x.png",  "l-01.png", "l-0.png", "l-.png",      "l--2.png",
                                              "lx-3.png", "l-3.pdf",  "l-3.PNG", "l-3.png.bak", "xl-3.png"};
  for (const std::string& name : unrelated) testing::writeFile(folder / name, "the user's");
  fs::create_directory(folder / "l-20.png");
  for (size_t pages : GetParam().pages)
    ASSERT_EQ(renderPng(std::vector<Page>(pages, Page{10, 10, {}}), folder / "l.png", 72).size(), pages);
  std::vector<std::string> expected = GetParam().left;
  expected.insert(expected.end(), unrelated.begin(), unrelated.end());
  expected.push_back("l-20.png");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(folderListing(folder), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, PngRunIntoAnEarlierName,
    ::testing::Values(PngRuns{"FewerPages", {16, 4}, {"l-1.png", "l-2.png", "l-3.png", "l-4.png"}},
                      PngRuns{"OnePageAfterSeveral", {3, 1}, {"l.png"}},
                      PngRuns{"SeveralPagesAfterOne", {1, 2}, {"l-1.png", "l-2.png"}},
                      PngRuns{"MorePages", {2, 3}, {"l-1.png", "l-2.png", "l-3.png"}}),
    [](const ::testing::TestParamInfo<PngRuns>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace briskal::hostkit::report
