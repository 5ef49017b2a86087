#pragma once
// Numbers a run's labels carry from the company's counters: an SSCC, a serial number, one of each a
// label, printed by the template's fields of those names. A run takes them all before its first
// label is laid out, one block a counter, and they are never given again: those of a run that does
// not print are void.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace briskal::data {
class Recordset;
}

namespace briskal::hostkit::report {

struct ReportTemplate;
struct RunSettings;

// The fields that print numbers, and the counters that give them.
inline constexpr const char* kSsccField = "SSCC";
inline constexpr const char* kSerialField = "SERIALE";

// By field, the n-th label's number is the n-th.
using LabelNumbers = std::map<std::string, std::vector<std::string>>;

// Numbers taken for a run.
class NumberLease {
 public:
  // Without printed(), the numbers are recorded as void.
  virtual ~NumberLease() = default;
  // The run printed its labels; throws briskal::Error when that cannot be recorded.
  virtual void printed() = 0;
};

class NumberSource {
 public:
  virtual ~NumberSource() = default;
  // Takes `labels` numbers for each of `fields` into `numbers`, all or none; throws briskal::Error
  // saying why when they cannot be taken.
  virtual std::unique_ptr<NumberLease> take(const std::vector<std::string>& fields, int64_t labels,
                                            LabelNumbers& numbers) = 0;
};

// Takes from `source` the numbers `reportTemplate` prints on each of `records`' labels (fields the
// records lack and `run` has no numbers for) into `run`; none when it prints none. Throws
// briskal::Error when they cannot be taken, or when the template needs them and there is no
// source.
std::unique_ptr<NumberLease> takeNumbers(NumberSource* source, const ReportTemplate& reportTemplate,
                                         const data::Recordset& records, RunSettings& run);

}  // namespace briskal::hostkit::report
