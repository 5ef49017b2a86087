#include "support/database_backends.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "support/postgres_server.h"

namespace briskal::testing {
namespace {

// Removes the folders made for this process when it ends.
struct Folders {
  std::vector<std::filesystem::path> made;
  ~Folders() {
    std::error_code ignored;
    for (const auto& p : made) std::filesystem::remove_all(p, ignored);
  }
};

Folders& folders() {
  static Folders f;
  return f;
}

}  // namespace

std::string temporaryFolder() {
  static std::atomic<int> counter{0};
  const auto path = std::filesystem::temp_directory_path() /
                    ("briskal-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
  folders().made.push_back(path);
  return path.string();
}

std::string freshDatabase(const std::string& backend) {
  if (backend == "sqlite") return "Data Source=" + temporaryFolder() + "/test.db";
  if (backend == "postgresql") {
    PostgresServer* server = sharedPostgresServer();
    return server ? server->createDatabase() : std::string();
  }
  return "";
}

void FreshDatabaseTest::SetUp() {
  database_ = freshDatabase(GetParam());
  if (database_.empty()) GTEST_SKIP() << "no " << GetParam() << " database can be had on this machine";
  connection_.setConnectionString(database_);
  connection_.open();
}

}  // namespace briskal::testing
