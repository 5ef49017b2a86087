#include "hostkit/report/staged_file.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <atomic>
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
  temporary.replace_filename(prefixOf(destination) + std::to_string(getpid()) + "-" + std::to_string(counter++));
  return temporary;
}

// A run killed while writing could not take its temporary file away: the next run for the same
// destination does, once the process that wrote it is gone.
void removeOrphans(const std::filesystem::path& destination) {
  const std::string prefix = prefixOf(destination);
  std::error_code error;
  const std::filesystem::path folder = destination.has_parent_path() ? destination.parent_path() : ".";
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    const pid_t writer = static_cast<pid_t>(std::atol(name.c_str() + prefix.size()));
    if (writer > 0 && kill(writer, 0) != 0 && errno == ESRCH) std::filesystem::remove(entry.path(), error);
  }
}

}  // namespace

StagedFile::StagedFile(std::filesystem::path destination)
    : destination_(std::move(destination)), temporary_(temporaryBeside(destination_)) {
  removeOrphans(destination_);
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
  if (error) throwReportError("Cannot write " + destination_.string() + ": " + error.message());
  committed_ = true;
}

}  // namespace briskal::hostkit::report
