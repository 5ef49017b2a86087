#pragma once
// Runs a program and collects what it printed and how it ended.

#include <string>
#include <vector>

namespace briskal::testing {

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` (no shell), feeding it nothing on standard input.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args);

}  // namespace briskal::testing
