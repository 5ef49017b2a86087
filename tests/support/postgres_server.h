#pragma once
// A private PostgreSQL 15 server for the tests: a throwaway cluster in a temporary folder, on a
// free loopback port with trust authentication, holding the database briskal_test. Tests that
// need it derive from PostgresTest, which starts one server per test process on first use and
// skips when PostgreSQL is not installed.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/server_process.h"

namespace briskal::testing {

class PostgresServer {
 public:
  // Starts a server with the programs in `programs` (initdb, postgres, createdb); as root they run
  // as the postgres user. Throws std::runtime_error carrying the logs when it does not start. The
  // destructor stops the server (immediate mode) and removes its folder.
  explicit PostgresServer(const std::filesystem::path& programs);

  int port() const { return server_.port(); }
  // ODBC connection string of the database briskal_test, through the PostgreSQL Unicode driver.
  std::string connectionString() const { return connectionString("briskal_test"); }
  // Creates a new empty database and returns its connection string. Throws std::runtime_error.
  std::string createDatabase();

 private:
  std::string connectionString(const std::string& database) const;
  // A new cluster, made once by initdb and kept in the temporary folder for the next servers.
  std::filesystem::path freshCluster() const;
  // Runs one of the programs as the server's user; throws std::runtime_error with what it said
  // when it fails.
  void runProgram(const std::string& program, const std::vector<std::string>& args) const;
  // The same for a command line whose first word is a program's path.
  void run(const std::vector<std::string>& words) const;

  std::filesystem::path programs_;
  ServerProcess server_;
  std::optional<Account> account_;
  int databases_ = 0;
};

// The folder holding initdb and pg_ctl of PostgreSQL 15; nullopt when it is not installed.
std::optional<std::filesystem::path> findPostgresPrograms();

// The test process's server, started on first use and stopped when the process exits; nullptr
// when PostgreSQL is not installed. Throws std::runtime_error with the logs when it is
// installed but does not start. The server dies with the thread that started it: the first use
// is on the main thread.
PostgresServer* sharedPostgresServer();

// Base of the tests that need the server: skips them when PostgreSQL is not installed, fails
// them with the server's log when it is installed but does not start. server() is the shared one.
class PostgresTest : public ::testing::Test {
 protected:
  void SetUp() override;
  PostgresServer& server() const { return *server_; }

 private:
  PostgresServer* server_ = nullptr;
};

}  // namespace briskal::testing
