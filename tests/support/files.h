#pragma once
// Reading whole files and comparing outputs with the golden files of tests/golden.

#include <filesystem>
#include <string>

namespace briskal::testing {

// The file's bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& file);

// The golden file `name` of tests/golden.
std::filesystem::path goldenFile(const std::string& name);

// Compares `actual` with the golden file `name`, naming the first byte that differs; with
// BRISKAL_UPDATE_GOLDEN=1 rewrites the file instead, for review.
void expectGolden(const std::string& name, const std::string& actual);

}  // namespace briskal::testing
