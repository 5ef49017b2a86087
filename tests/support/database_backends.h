#pragma once
// Fresh, empty databases for tests that run on every supported database.

#include <string>

namespace briskal::testing {

// A connection string to a new empty database on `backend` ("sqlite" or "postgresql"), or ""
// when that database cannot be had on this machine.
std::string freshDatabase(const std::string& backend);

// A new empty temporary folder, removed when the test process ends.
std::string temporaryFolder();

}  // namespace briskal::testing
