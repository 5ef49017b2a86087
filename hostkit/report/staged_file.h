#pragma once
// A file written under a temporary name beside its destination and renamed onto it by commit():
// a run that fails or is killed half-way leaves the earlier file as it was and no half-written
// one in its place. The temporary file goes with the object unless it was committed; one that a
// killed run left is taken away, once a day old, by a later run into its folder.

#include <filesystem>

namespace briskal::hostkit::report {

class StagedFile {
 public:
  // Throws briskal::Error when the folder cannot be looked through for files left by a killed run,
  // or one of them cannot be removed.
  explicit StagedFile(std::filesystem::path destination);
  ~StagedFile();
  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&&) = delete;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Where the content is written.
  const std::filesystem::path& path() const { return temporary_; }
  const std::filesystem::path& destination() const { return destination_; }
  // Another destination in the same folder, for a name decided once the content is written.
  void setDestination(std::filesystem::path destination) { destination_ = std::move(destination); }
  // Puts the written file in the destination's place; throws briskal::Error when it cannot.
  void commit();

 private:
  std::filesystem::path destination_;
  std::filesystem::path temporary_;
  bool committed_ = false;
};

}  // namespace briskal::hostkit::report
