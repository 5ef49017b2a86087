#include "common/datetime.h"

#include <cmath>
#include <cstdio>

#include "common/error.h"

namespace briskal {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Days from 1970-01-01 to the platform's day zero, 1899-12-30.
constexpr int64_t kEpochShift = -25569;

// Civil calendar conversions (proleptic Gregorian), days counted from 1970-01-01.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

struct Civil {
  int64_t y;
  unsigned m, d;
};

Civil civilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {y + (m <= 2), m, d};
}

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap(y) ? 29 : kDays[m - 1];
}

}  // namespace

DateTime DateTime::fromParts(int year, int month, int day, int hour, int minute, int second) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    throwOverflow();
  const int64_t days =
      daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochShift;
  return DateTime(days * kSecondsPerDay + hour * 3600 + minute * 60 + second);
}

DateTime DateTime::fromSerial(double days) {
  if (!std::isfinite(days) || days < -657434.0 || days >= 2958466.0) throwOverflow();
  // Negative serials count the day backwards but the time forwards, as the platform does.
  const double whole = std::trunc(days);
  const double fraction = std::fabs(days - whole);
  const int64_t secondsOfDay = std::llround(fraction * kSecondsPerDay);
  return DateTime(static_cast<int64_t>(whole) * kSecondsPerDay + secondsOfDay);
}

std::optional<DateTime> DateTime::parseIso(std::string_view text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  auto num = [&](size_t pos, size_t len, int& out) {
    if (pos + len > text.size()) return false;
    out = 0;
    for (size_t i = pos; i < pos + len; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      out = out * 10 + (text[i] - '0');
    }
    return true;
  };
  if (!num(0, 4, y) || text.size() < 10 || text[4] != '-' || !num(5, 2, mo) || text[7] != '-' ||
      !num(8, 2, d))
    return std::nullopt;
  size_t pos = 10;
  if (pos < text.size()) {
    if (text[pos] != ' ' && text[pos] != 'T') return std::nullopt;
    if (!num(pos + 1, 2, h) || text.size() < pos + 6 || text[pos + 3] != ':' || !num(pos + 4, 2, mi))
      return std::nullopt;
    pos += 6;
    if (pos < text.size()) {
      if (text[pos] != ':' || !num(pos + 1, 2, s)) return std::nullopt;
      pos += 3;
      // Fractions of a second, which databases may add, are dropped.
      if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
      }
    }
    if (pos != text.size()) return std::nullopt;
  }
  try {
    return fromParts(y, mo, d, h, mi, s);
  } catch (const Error&) {
    return std::nullopt;
  }
}

int64_t DateTime::dayNumber() const {
  int64_t days = seconds_ / kSecondsPerDay;
  if (seconds_ % kSecondsPerDay < 0) --days;
  return days;
}

int DateTime::secondOfDay() const { return static_cast<int>(seconds_ - dayNumber() * kSecondsPerDay); }

int DateTime::year() const { return static_cast<int>(civilFromDays(dayNumber() + kEpochShift).y); }
int DateTime::month() const { return static_cast<int>(civilFromDays(dayNumber() + kEpochShift).m); }
int DateTime::day() const { return static_cast<int>(civilFromDays(dayNumber() + kEpochShift).d); }
int DateTime::hour() const { return secondOfDay() / 3600; }
int DateTime::minute() const { return secondOfDay() / 60 % 60; }
int DateTime::second() const { return secondOfDay() % 60; }

double DateTime::serial() const {
  const int64_t day = dayNumber();
  const double fraction = static_cast<double>(secondOfDay()) / kSecondsPerDay;
  return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

std::string DateTime::toIsoDate() const {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year(), month(), day());
  return buf;
}

std::string DateTime::toIso() const {
  if (!hasTime()) return toIsoDate();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s %02d:%02d:%02d", toIsoDate().c_str(), hour(), minute(), second());
  return buf;
}

}  // namespace briskal
