#pragma once
// Numbers on the command line are written one way whatever the session's language: digits, and
// '.' as the decimal point where decimals are allowed. A script gets the same labels in every
// locale; the forms then receive each number as a person of the session's language types it.

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/regional.h"

namespace briskal::cli {

// Whole numbers from `low` to `high`: "1.5", "1e3", "+3" and "0x10" are refused.
CLI::Validator wholeNumber(int64_t low, int64_t high);
// Numbers from `low` to `high` (written as this notation has them) with at most `decimals`
// decimals: "nan", "1e400", "-1" below a low of 0 and "1,5" are refused.
CLI::Validator decimalNumber(std::string_view low, std::string_view high, int decimals);
// The reason `text` is not such a number, or "" when it is.
std::string decimalNumberError(std::string_view text, std::string_view low, std::string_view high,
                               int decimals);

// `number`, one that passed a check above, as a person of `rs`'s language types it.
std::string typedAs(std::string number, const RegionalSettings& rs);

}  // namespace briskal::cli
