#include "hostkit/demo/sql_script.h"

namespace briskal::hostkit {
namespace {

std::string_view trimmed(std::string_view line) {
  const auto first = line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::vector<std::string> splitSqlScript(std::string_view script) {
  std::vector<std::string> statements;
  std::string current;
  while (!script.empty()) {
    const size_t end = script.find('\n');
    const std::string_view line = trimmed(script.substr(0, end));
    script = end == std::string_view::npos ? std::string_view() : script.substr(end + 1);
    if (line.empty() || line.starts_with("--")) continue;
    if (!current.empty()) current.push_back('\n');
    if (line.ends_with(';')) {
      current.append(line.substr(0, line.size() - 1));
      statements.push_back(std::move(current));
      current.clear();
    } else {
      current.append(line);
    }
  }
  if (!trimmed(current).empty()) statements.push_back(std::move(current));
  return statements;
}

}  // namespace briskal::hostkit
