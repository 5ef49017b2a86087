#include "support/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

namespace briskal::testing {

std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  if (!out.flush()) throw std::runtime_error("Cannot write " + file.string());
}

std::filesystem::path goldenFile(const std::string& name) {
  return std::filesystem::path(BRISKAL_GOLDEN_DIR) / name;
}

void expectGolden(const std::string& name, const std::string& actual) {
  const std::filesystem::path path = goldenFile(name);
  if (const char* update = std::getenv("BRISKAL_UPDATE_GOLDEN"); update && std::string(update) == "1") {
    std::ofstream(path, std::ios::binary) << actual;
    std::cout << "rewrote " << path << "\n";
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(path))
      << path << " is missing; run with BRISKAL_UPDATE_GOLDEN=1 and review it";
  const std::string expected = readFile(path);
  if (expected == actual) return;
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  ADD_FAILURE() << name << " differs from byte " << at << ": expected \"" << expected.substr(at, 60)
                << "\", got \"" << actual.substr(at, 60) << "\"";
}

}  // namespace briskal::testing
