#include "usage.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <numeric>

namespace briskal::cli {
namespace {

size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), size_t{0});
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The option `name` of `command` or of a command above it, whose options it also takes.
const CLI::Option* findOption(const CLI::App* command, const std::string& name) {
  for (; command; command = command->get_parent())
    if (const CLI::Option* option = command->get_option_no_throw(name)) return option;
  return nullptr;
}

std::vector<std::string> optionNames(const CLI::App* command) {
  std::vector<std::string> names;
  for (; command; command = command->get_parent()) {
    for (const CLI::Option* option : command->get_options()) {
      for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    }
  }
  return names;
}

std::vector<std::string> commandNames(const CLI::App* command) {
  std::vector<std::string> names;
  for (const CLI::App* sub : command->get_subcommands(std::function<bool(const CLI::App*)>{}))
    names.push_back(sub->get_name());
  return names;
}

std::string unknown(const std::string& what, const std::string& word, const std::vector<std::string>& known) {
  std::string message = "unknown " + what + " '" + word + "'";
  if (const auto guess = nearest(word, known)) message += "; did you mean " + *guess + "?";
  return message;
}

}  // namespace

std::string helpOf(const CLI::App& command) {
  std::string path = command.get_name();
  for (const CLI::App* parent = command.get_parent(); parent; parent = parent->get_parent())
    path.insert(0, parent->get_name() + " ");
  // The formatter itself: App::help would show the help of a command parsed below this one.
  return command.get_formatter()->make_help(&command, path, CLI::AppFormatMode::Normal);
}

std::optional<std::string> nearest(std::string_view typed, const std::vector<std::string>& candidates) {
  std::optional<std::string> best;
  size_t bestDistance = 0;
  for (const std::string& candidate : candidates) {
    const size_t distance = editDistance(typed, candidate);
    if (!best || distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  // A third of the word may be wrong, and at least two letters of a short one.
  if (!best || bestDistance > std::max<size_t>(2, typed.size() / 3)) return std::nullopt;
  return best;
}

UsageHint usageHint(const CLI::App& app, const std::vector<std::string>& words) {
  const CLI::App* command = &app;
  size_t positionals = 0;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--") break;
    if (word.size() > 1 && word[0] == '-') {
      const std::string name = word.substr(0, word.find('='));
      const CLI::Option* option = findOption(command, name);
      if (!option) return {command, unknown("option", name, optionNames(command))};
      // A flag takes no value: the word after it is the next option or the command.
      if (name.size() == word.size() && option->get_items_expected_max() > 0) ++i;  // its value
      continue;
    }
    const auto subcommands = command->get_subcommands(std::function<bool(const CLI::App*)>{});
    const auto sub = std::find_if(subcommands.begin(), subcommands.end(),
                                  [&word](const CLI::App* s) { return s->get_name() == word; });
    if (sub != subcommands.end()) {
      command = *sub;
      positionals = 0;
      continue;
    }
    const auto takes = command->get_options([](const CLI::Option* o) { return o->get_positional(); });
    if (positionals < takes.size()) {
      // A positional that takes any number of words takes the rest.
      if (takes[positionals]->get_items_expected_max() > 1) break;
      ++positionals;
      continue;
    }
    if (!subcommands.empty()) return {command, unknown("command", word, commandNames(command))};
    return {command, "unexpected argument '" + word + "'"};
  }
  return {command, ""};
}

}  // namespace briskal::cli
