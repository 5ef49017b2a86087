#include "numbers.h"

#include <algorithm>
#include <optional>

#include "common/decimal.h"

namespace briskal::cli {
namespace {

bool allDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string range(std::string_view low, std::string_view high) {
  return "from " + std::string(low) + " to " + std::string(high);
}

}  // namespace

CLI::Validator wholeNumber(int64_t low, int64_t high) {
  const std::string bounds = range(std::to_string(low), std::to_string(high));
  return CLI::Validator(
      [low, high, bounds](const std::string& text) -> std::string {
        const std::string_view digits = std::string_view(text).substr(text.starts_with('-') ? 1 : 0);
        // Nineteen digits may already be past the range of the number.
        if (!allDigits(digits) || digits.size() > 18) return "'" + text + "' is not a whole number " + bounds;
        const int64_t value = std::stoll(text);
        if (value < low || value > high) return "'" + text + "' is not a whole number " + bounds;
        return {};
      },
      "", "whole number");
}

std::string decimalNumberError(std::string_view text, std::string_view low, std::string_view high,
                               int decimals) {
  const std::string wanted =
      "a number " + range(low, high) + " with at most " + std::to_string(decimals) + " decimals";
  std::string refused = "'" + std::string(text) + "' is not " + wanted + " ('.' as the decimal point)";
  const std::string_view magnitude = text.substr(text.starts_with('-') ? 1 : 0);
  const size_t point = magnitude.find('.');
  const std::string_view whole = magnitude.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : magnitude.substr(point + 1);
  if (!allDigits(whole) || whole.size() > 18) return refused;
  if (point != std::string_view::npos &&
      (!allDigits(fraction) || fraction.size() > static_cast<size_t>(decimals)))
    return refused;
  const std::optional<Decimal> value = Decimal::parse(text);
  if (!value || *value < *Decimal::parse(low) || *value > *Decimal::parse(high)) return refused;
  return {};
}

CLI::Validator decimalNumber(std::string_view low, std::string_view high, int decimals) {
  return CLI::Validator(
      [low = std::string(low), high = std::string(high), decimals](const std::string& text) {
        return decimalNumberError(text, low, high, decimals);
      },
      "", "number");
}

std::string typedAs(std::string number, const RegionalSettings& rs) {
  std::replace(number.begin(), number.end(), '.', rs.decimalSeparator);
  return number;
}

}  // namespace briskal::cli
