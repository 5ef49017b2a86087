#pragma once
// Splits a portable SQL script into its statements: a statement ends with a semicolon at the end
// of a line, and lines that start with "--" are comments. Statements come back without the
// semicolon, ready for a driver that runs one statement at a time.

#include <string>
#include <string_view>
#include <vector>

namespace briskal::hostkit {

std::vector<std::string> splitSqlScript(std::string_view script);

}  // namespace briskal::hostkit
