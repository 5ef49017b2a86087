#include "hostkit/report/staged_file.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <system_error>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {
namespace {

std::string prefixOf(const std::filesystem::path& destination) {
  return "." + destination.filename().string() + ".part-";
}

// Unique within the process; the process id keeps runs at the same moment apart.
std::filesystem::path temporaryBeside(const std::filesystem::path& destination) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temporary = destination;
  temporary.replace_filename(prefixOf(destination) + std::to_string(getpid()) + "-" +
                             std::to_string(counter++));
  return temporary;
}

// A run killed while writing could not take its temporary files away: the next run that writes
// into the same folder does, once the process that wrote them is gone. Each folder is looked
// through once per process, so that a run of many files stays linear in their number.
void removeOrphans(const std::filesystem::path& folder) {
  static std::mutex lock;
  static std::set<std::filesystem::path> swept;
  const std::lock_guard<std::mutex> guard(lock);
  if (!swept.insert(folder).second) return;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    const size_t part = name.rfind(".part-");
    if (name.empty() || name[0] != '.' || part == std::string::npos) continue;
    const pid_t writer = static_cast<pid_t>(std::atol(name.c_str() + part + 6));
    if (writer > 0 && kill(writer, 0) != 0 && errno == ESRCH) std::filesystem::remove(entry.path(), error);
  }
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
