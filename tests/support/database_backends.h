#pragma once
// Fresh, empty databases for tests that run on every supported database.

#include <gtest/gtest.h>

#include <string>

#include "data/connection.h"

namespace briskal::testing {

// A connection string to a new empty database on `backend` ("sqlite" or "postgresql"), or ""
// when that database cannot be had on this machine.
std::string freshDatabase(const std::string& backend);

// Names the tests of a suite run on every backend after their backend: Databases/Suite.Test/sqlite.
inline std::string backendTestName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

// A test of a suite that runs on every backend, with a fresh database of its backend open;
// skipped where that database cannot be had.
class FreshDatabaseTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override;
  std::string database_;
  data::Connection connection_;
};

// A new empty temporary folder, removed when the test process ends.
std::string temporaryFolder();

}  // namespace briskal::testing
