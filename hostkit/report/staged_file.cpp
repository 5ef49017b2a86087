#include "hostkit/report/staged_file.h"

#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {
namespace {

// A staged file is named `.briskal-staged-<destination's name>-<token>`: a name no other program
// makes, so that the sweep below can never take a file of the user's.
constexpr std::string_view kStagedPrefix = ".briskal-staged-";
// The writer's process id and 64 random bits, in lowercase hex.
constexpr size_t kTokenDigits = 8 + 16;

// A staged file this old was left by a run that was killed: a run's staged files are no older than
// the run, and no run takes a day.
constexpr std::chrono::hours kOrphanAge{24};

std::string lowercaseHex(uint64_t value, int digits) {
  std::string text(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    text[static_cast<size_t>(i)] = "0123456789abcdef"[value & 0xf];
  return text;
}

// The process id keeps runs at the same moment apart; the random bits keep apart the files of one
// process and processes of the same id in other pid namespaces or on other hosts sharing the folder.
std::string stagingToken() {
  uint64_t random = 0;
  if (getrandom(&random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
    throwReportError(std::string("Cannot name a temporary file: ") + std::strerror(errno));
  return lowercaseHex(static_cast<uint32_t>(getpid()), 8) + lowercaseHex(random, 16);
}

bool isStagedName(std::string_view name) {
  if (!name.starts_with(kStagedPrefix) || name.size() < kStagedPrefix.size() + 2 + kTokenDigits) return false;
  const std::string_view digits = name.substr(name.size() - kTokenDigits);
  return name[name.size() - kTokenDigits - 1] == '-' && std::all_of(digits.begin(), digits.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

// Only a regular file of this user's, last written longer ago than any run takes. Another user's
// file is theirs to sweep: a folder shared with the sticky bit would not let us remove it anyway.
bool isOrphan(const std::filesystem::path& file) {
  struct stat status {};
  if (lstat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != geteuid())
    return false;
  const auto written = std::chrono::system_clock::from_time_t(status.st_mtim.tv_sec);
  return std::chrono::system_clock::now() - written > kOrphanAge;
}

// A run killed while writing could not take its staged files away: a later run that writes into
// the same folder does. Each folder is looked through once per process, so that a run of many
// files stays linear in their number.
void removeOrphans(const std::filesystem::path& folder) {
  static std::mutex lock;
  static std::set<std::filesystem::path> swept;
  const std::lock_guard<std::mutex> guard(lock);
  if (swept.contains(folder)) return;
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  // A folder that is not there has nothing to sweep; writing into it reports that.
  if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) return;
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    const std::filesystem::path& file = entries->path();
    if (!isStagedName(file.filename().native()) || !isOrphan(file)) continue;
    std::error_code removal;
    if (!std::filesystem::remove(file, removal) && removal)
      throwReportError(
          "Cannot remove " + file.string() + ", left by an interrupted run: " + removal.message(),
          fileErrorNumber(removal.value()));
  }
  if (error)
    throwReportError("Cannot look through " + folder.string() +
                         " for files left by an interrupted run: " + error.message(),
                     fileErrorNumber(error.value()));
  swept.insert(folder);
}

std::filesystem::path temporaryBeside(const std::filesystem::path& destination) {
  std::filesystem::path temporary = destination;
  temporary.replace_filename(std::string(kStagedPrefix) + destination.filename().string() + "-" +
                             stagingToken());
  return temporary;
}

}  // namespace

StagedFile::StagedFile(std::filesystem::path destination)
    : destination_(std::move(destination)), temporary_(temporaryBeside(destination_)) {
  removeOrphans(destination_.has_parent_path() ? destination_.parent_path() : ".");
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : destination_(std::move(other.destination_)),
      temporary_(std::move(other.temporary_)),
      committed_(other.committed_) {
  other.committed_ = true;
}

StagedFile::~StagedFile() {
  if (committed_) return;
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

void StagedFile::commit() {
  std::error_code error;
  std::filesystem::rename(temporary_, destination_, error);
  if (error)
    throwReportError("Cannot write " + destination_.string() + ": " + error.message(),
                     fileErrorNumber(error.value()));
  committed_ = true;
}

}  // namespace briskal::hostkit::report
