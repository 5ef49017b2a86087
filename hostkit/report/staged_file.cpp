#include "hostkit/report/staged_file.h"

#include <unistd.h>

#include <atomic>
#include <string>
#include <system_error>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {
namespace {

// Unique within the process; the process id keeps runs at the same moment apart.
std::filesystem::path temporaryBeside(const std::filesystem::path& destination) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temporary = destination;
  temporary.replace_filename("." + destination.filename().string() + ".part-" + std::to_string(getpid()) +
                             "-" + std::to_string(counter++));
  return temporary;
}

}  // namespace

StagedFile::StagedFile(std::filesystem::path destination)
    : destination_(std::move(destination)), temporary_(temporaryBeside(destination_)) {}

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
