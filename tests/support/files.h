#pragma once
// Reading and writing whole files, and comparing outputs with the golden files of tests/golden.

#include <filesystem>
#include <string>
#include <string_view>

namespace briskal::testing {

// The file's bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& file);

// Writes `bytes` as the whole file; throws std::runtime_error when it cannot.
void writeFile(const std::filesystem::path& file, std::string_view bytes);

// The golden file `name` of tests/golden.
std::filesystem::path goldenFile(const std::string& name);

// Compares `actual` with the golden file `name`, naming the first byte that differs; with
// BRISKAL_UPDATE_GOLDEN=1 rewrites the file instead, for review.
void expectGolden(const std::string& name, const std::string& actual);

}  // namespace briskal::testing
