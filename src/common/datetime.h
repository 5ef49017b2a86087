#pragma once
// A date with an optional time of day, to the second, as the platform's Date holds it. Stored as
// seconds from 30 December 1899, the platform's day zero, so that serial-day arithmetic agrees.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace briskal {

class DateTime {
 public:
  constexpr DateTime() = default;
  // Throws Overflow for an impossible date (month 13, 30 February) or time.
  static DateTime fromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
  static DateTime fromSerial(double days);  // days since 1899-12-30, fraction = time of day
  static constexpr DateTime fromSecondsSinceEpoch(int64_t seconds) { return DateTime(seconds); }
  // "YYYY-MM-DD", optionally followed by " HH:MM[:SS]" or "THH:MM[:SS]"; nullopt otherwise.
  static std::optional<DateTime> parseIso(std::string_view text);

  int year() const;
  int month() const;
  int day() const;
  int hour() const;
  int minute() const;
  int second() const;
  bool hasTime() const { return secondOfDay() != 0; }
  double serial() const;
  int64_t secondsSinceEpoch() const { return seconds_; }

  std::string toIsoDate() const;  // "YYYY-MM-DD"
  std::string toIso() const;      // "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" when it has a time

  friend auto operator<=>(const DateTime&, const DateTime&) = default;

 private:
  explicit constexpr DateTime(int64_t seconds) : seconds_(seconds) {}
  int64_t dayNumber() const;
  int secondOfDay() const;
  int64_t seconds_ = 0;
};

}  // namespace briskal
