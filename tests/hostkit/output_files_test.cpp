// The files a run leaves in the folder it writes to: what it writes under a temporary name, and
// what it takes away of a killed run.

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

}  // namespace
}  // namespace briskal::hostkit::report
