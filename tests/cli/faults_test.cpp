// Faults that happen to real runs: a run killed in the middle, a full disk for the output or the
// database, a database on a read-only disk. Whatever happens, what was there before stays whole
// and the run says why it failed.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/briskal_binary.h"
#include "data/connection.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/process.h"
#include "test_helpers.h"

namespace briskal {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::runProcess;
using testing::runProcessKilledWhen;

// A small disk of its own: a tmpfs mounted for the test, gone with it.
class SmallDisk {
 public:
  explicit SmallDisk(const std::string& size) : path_(testing::temporaryFolder()) {
    mounted_ = mount("tmpfs", path_.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount2(path_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }
  bool makeReadOnly() { return mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

class Faults : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    demo_ = testing::temporaryFolder() + "/demo.db";
    ASSERT_EQ(runProcess(kBriskal, {"demo-db", "--out", demo_, "--orders", "600", "--seed", "3"}).exitCode,
              0);
  }
  // A copy of the demo database at `file`.
  static std::string copyOfDemo(const std::string& file) {
    fs::copy_file(demo_, file, fs::copy_options::overwrite_existing);
    return "Data Source=" + file;
  }
  static std::string scalar(const std::string& db, const std::string& statement) {
    const auto r = runProcess(kBriskal, {"--db", db, "--format", "csv", "sql", statement});
    const std::string rows = r.out.substr(r.out.find('\n') + 1);
    return rows.substr(0, rows.find('\r'));
  }
  static std::string demo_;
};

std::string Faults::demo_;

#define REQUIRE_SMALL_DISK(disk) \
  if (!(disk).mounted()) GTEST_SKIP() << "a tmpfs cannot be mounted here (it needs root)"

// The size of `file`, or nullopt when there is none.
std::optional<std::uintmax_t> sizeOf(const fs::path& file) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  return error ? std::nullopt : std::optional(size);
}

// The files runs write in place of `destination` while they write, and those killed runs left.
std::set<fs::path> stagedFilesOf(const fs::path& destination) {
  const std::string prefix = ".briskal-staged-" + destination.filename().string() + "-";
  std::set<fs::path> files;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(destination.parent_path(), ignored))
    if (entry.path().filename().string().starts_with(prefix)) files.insert(entry.path());
  return files;
}

// The size of the file a run is writing in place of `destination`, while it writes it: one of
// the staged files but those `left` by earlier runs.
std::optional<std::uintmax_t> sizeOfPartWritten(const fs::path& destination, const std::set<fs::path>& left) {
  for (const fs::path& file : stagedFilesOf(destination))
    if (!left.contains(file)) return sizeOf(file);
  return std::nullopt;
}

using Moment = std::pair<const char*, std::function<bool()>>;

// A print run or a layout save killed at any moment leaves the earlier run's labels, the layouts
// and the earlier output whole, and the database sound; the next run takes away what a killed one
// left. Each run is killed once it is seen to have come to a moment of its work.
TEST_F(Faults, AKilledRunLeavesWhatWasThereWhole) {
  const std::string folder = testing::temporaryFolder();
  const std::string db = copyOfDemo(folder + "/killed.db");
  const fs::path out = folder + "/labels.pdf";
  const std::vector<std::string> print = {"--db",      db,       "print",    "--where", "Numero doc.=1..300",
                                          "--basis",   "custom", "--labels", "30",      "--out",
                                          out.string()};
  ASSERT_EQ(runProcess(kBriskal, print).exitCode, 0);
  const std::string labels = scalar(db, "SELECT COUNT(*) FROM PD46_RPTETICHETTE");
  const std::string pages = readFile(out);
  ASSERT_NE(labels, "0");
  // The database's log of changes is there while a run has it open, and holds something once the
  // run writes; the run before each one closed the database, which took the log away.
  const fs::path changeLog = folder + "/killed.db-wal";
  const Moment opened = {"the database is open", [&] { return sizeOf(changeLog).has_value(); }};
  const Moment written = {"the run writes to the database",
                          [&] { return sizeOf(changeLog).value_or(0) > 0; }};
  std::set<fs::path> left;  // by the runs killed so far
  const Moment printing[] = {
      opened,
      written,
      {"the output is being written", [&] { return sizeOfPartWritten(out, left).has_value(); }},
      {"half the output is written",
       [&] { return sizeOfPartWritten(out, left).value_or(0) > pages.size() / 2; }},
  };
  for (const auto& [moment, reached] : printing) {
    left = stagedFilesOf(out);
    // Some 3,000 pages: the run is still at work when each moment is seen.
    EXPECT_TRUE(runProcessKilledWhen(kBriskal, print, reached, 1)) << "the run ended before " << moment;
    EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM PD46_RPTETICHETTE"), labels) << moment;
    EXPECT_EQ(readFile(out), pages) << moment;
    EXPECT_EQ(scalar(db, "PRAGMA integrity_check"), "ok") << moment;
  }
  int saves = 0;
  for (const auto& [moment, reached] : {opened, written}) {
    // A save is over in a moment, and may end before it is killed: what it leaves is whole either way.
    const std::string code = "K" + std::to_string(++saves);
    runProcessKilledWhen(kBriskal, {"--db", db, "--yes", "layouts", "save", code, "--title", "T"}, reached,
                         1);
    const std::string lines =
        scalar(db, "SELECT COUNT(*) FROM PD45_CONFIGETICH WHERE PD45_CODICE = '" + code + "'");
    EXPECT_TRUE(lines == "0" || lines == "37") << moment << ": " << lines;
    EXPECT_EQ(scalar(db, "PRAGMA integrity_check"), "ok") << moment;
  }
  // What the runs killed while writing the output left could as well be a run's still at work: it
  // stays until it is older than any run could be, and then the next run takes it away.
  left = stagedFilesOf(out);
  EXPECT_EQ(left.size(), 2U) << "the runs killed while writing the output each leave their file";
  ASSERT_EQ(runProcess(kBriskal, print).exitCode, 0);
  for (const fs::path& file : left) {
    EXPECT_TRUE(fs::exists(file)) << file;
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(25));
  }
  ASSERT_EQ(runProcess(kBriskal, print).exitCode, 0);
  for (const auto& entry : fs::directory_iterator(folder))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".briskal-staged-")) << entry.path();
}

// A full disk under the output fails the run with its cause and leaves the earlier file.
TEST_F(Faults, AFullDiskForTheOutputKeepsTheEarlierFile) {
  SmallDisk disk("512k");
  REQUIRE_SMALL_DISK(disk);
  const std::string db = copyOfDemo(testing::temporaryFolder() + "/output.db");
  const std::string out = disk.path() + "/labels.pdf";
  ASSERT_EQ(runProcess(kBriskal, {"--db", db, "print", "--where", "Numero doc.=1", "--label", "custom",
                                  "--basis", "custom", "--labels", "1", "--out", out})
                .exitCode,
            0);
  const std::string earlier = readFile(out);
  const auto r = runProcess(kBriskal, {"--db", db, "print", "--where", "Numero doc.=1..600", "--label",
                                       "custom", "--basis", "custom", "--labels", "5", "--out", out});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("labels.pdf"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(out), earlier);
  EXPECT_EQ(std::distance(fs::directory_iterator(disk.path()), fs::directory_iterator()), 1);
  // A page image says so too, naming the page it was writing and the reason.
  const auto png =
      runProcess(kBriskal, {"--db", db, "print", "--where", "Numero doc.=1..600", "--label", "custom",
                            "--basis", "custom", "--labels", "5", "--out", disk.path() + "/l.png"});
  EXPECT_EQ(png.exitCode, 1);
  EXPECT_NE(png.err.find("Cannot write " + disk.path() + "/l-"), std::string::npos) << png.err;
  EXPECT_NE(png.err.find("No space left on device"), std::string::npos) << png.err;
  EXPECT_EQ(png.err.find("staged"), std::string::npos) << png.err;
}

// A full disk under the database fails the run with the database's words; the earlier run's
// labels stay and the database stays sound.
TEST_F(Faults, AFullDiskForTheDatabaseKeepsTheEarlierRun) {
  const std::uintmax_t size = fs::file_size(demo_);
  SmallDisk disk(std::to_string(size / 1024 + 512) + "k");
  REQUIRE_SMALL_DISK(disk);
  const std::string db = copyOfDemo(disk.path() + "/full.db");
  ASSERT_EQ(runProcess(kBriskal, {"--db", db, "print", "--where", "Numero doc.=1", "--basis", "custom",
                                  "--labels", "1", "--out", disk.path() + "/a.txt"})
                .exitCode,
            0);
  const std::string labels = scalar(db, "SELECT COUNT(*) FROM PD46_RPTETICHETTE");
  fs::remove(disk.path() + "/a.txt");
  const auto r =
      runProcess(kBriskal, {"--db", db, "print", "--where", "Numero doc.=1..600", "--basis", "custom",
                            "--labels", "40", "--out", testing::temporaryFolder() + "/b.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(r.err.empty());
  EXPECT_EQ(scalar(db, "SELECT COUNT(*) FROM PD46_RPTETICHETTE"), labels);
  EXPECT_EQ(scalar(db, "PRAGMA integrity_check"), "ok");
}

// A database on a disk that cannot be written is read, and the run that needs to write fails
// saying so.
TEST_F(Faults, AReadOnlyDatabaseFailsTheRunWithItsCause) {
  SmallDisk disk("16m");
  REQUIRE_SMALL_DISK(disk);
  const std::string db = copyOfDemo(disk.path() + "/readonly.db");
  ASSERT_TRUE(disk.makeReadOnly());
  const auto r = runProcess(kBriskal, {"--db", db, "print", "--where", "Numero doc.=1", "--out",
                                       testing::temporaryFolder() + "/c.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("briskal: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("PRAGMA"), std::string::npos) << r.err;
}

// A database that cannot keep a run in its print history, full or read-only, stops the run before
// anything is printed.
TEST_F(Faults, ADatabaseThatCannotKeepTheRunPrintsNothing) {
  const std::uintmax_t size = fs::file_size(demo_);
  SmallDisk disk(std::to_string(size / 1024 + 1024) + "k");
  REQUIRE_SMALL_DISK(disk);
  const std::string db = copyOfDemo(disk.path() + "/history.db");
  const std::string out = testing::temporaryFolder();
  const std::vector<std::string> labels{"print",   "--where", "Numero doc.=1..600", "--label", "custom",
                                        "--basis", "custom",  "--labels",           "5",       "--out"};
  const auto print = [&](const std::string& file) {
    std::vector<std::string> args{"--db", db};
    args.insert(args.end(), labels.begin(), labels.end());
    args.push_back(out + "/" + file);
    return runProcess(kBriskal, args);
  };
  ASSERT_EQ(print("first.zpl").exitCode, 0);
  {
    // The rest of the disk taken by another file.
    std::ofstream filler(disk.path() + "/filler", std::ios::binary);
    const std::string block(64 * 1024, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
    }
  }
  // The run fails where the full disk stops it first: opening the database or keeping the job.
  auto r = print("full.zpl");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find(db.substr(db.find('=') + 1)), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(out + "/full.zpl"));
  fs::remove(disk.path() + "/filler");
  EXPECT_EQ(scalar(db, "PRAGMA integrity_check"), "ok");
  ASSERT_TRUE(disk.makeReadOnly());
  r = print("readonly.zpl");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(out + "/readonly.zpl"));
}

// A damaged file and a database locked past the wait are each told once, in words a person can
// act on: the file and what to do, not the statement that met them or a provider's code.
TEST_F(Faults, ADamagedOrLockedDatabaseIsToldOnceWithItsFile) {
  const std::string folder = testing::temporaryFolder();
  const std::string damaged = folder + "/damaged.db";
  copyOfDemo(damaged);
  {
    // The order lines' pages are overwritten with what no page holds.
    std::fstream file(damaged, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(4096 * 5);
    const std::string junk(9000, '\x0d');
    file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
  }
  auto r = runProcess(kBriskal,
                      {"--db", damaged, "print", "--where", "Numero doc.=1..3", "--out", folder + "/a.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(testing::occurrences(r.err, "the database file " + damaged + " is damaged"), 1U) << r.err;
  EXPECT_LT(r.err.size(), 300U) << r.err;

  const std::string locked = folder + "/locked.db";
  data::Connection holder;
  holder.setConnectionString(copyOfDemo(locked));
  holder.open();
  holder.beginTrans();
  r = runProcess(kBriskal, {"--db", locked, "print", "--where", "Numero doc.=1", "--out", folder + "/b.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(testing::occurrences(r.err, "the database " + locked + " stayed locked"), 1U) << r.err;
  EXPECT_EQ(r.err.find("-2147"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("BEGIN"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace briskal
