#pragma once
// What the command line tells a person who typed something it does not know: the nearest command
// or option ("did you mean print?") and the command whose help to show with it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

namespace briskal::cli {

struct UsageHint {
  const CLI::App* command;  // the command the words reached; its help goes with the message
  std::string message;      // empty when every word was known
};

// Walks `words` (the arguments without the program name) down the command tree.
UsageHint usageHint(const CLI::App& app, const std::vector<std::string>& words);

// The help of `command`, its usage line naming the commands above it ("briskal layouts save").
std::string helpOf(const CLI::App& command);

// The candidate nearest to `typed` by edit distance, when it is near enough to be a slip of the
// keyboard.
std::optional<std::string> nearest(std::string_view typed, const std::vector<std::string>& candidates);

}  // namespace briskal::cli
