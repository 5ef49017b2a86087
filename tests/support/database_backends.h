#pragma once
// Fresh, empty databases for tests that run on every supported database.

#include <gtest/gtest.h>

#include <string>

namespace briskal::testing {

// A connection string to a new empty database on `backend` ("sqlite" or "postgresql"), or ""
// when that database cannot be had on this machine.
std::string freshDatabase(const std::string& backend);

// Names the tests of a suite run on every backend after their backend: Databases/Suite.Test/sqlite.
inline std::string backendTestName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

// A new empty temporary folder, removed when the test process ends.
std::string temporaryFolder();

}  // namespace briskal::testing
