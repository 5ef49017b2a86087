#pragma once
// What a run printed with, kept with its job in the print history so that its labels can be laid
// out again as they were: the run's settings and the label's records, each value with its type.
// The stored form is text: one setting a line, and one record a label.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/regional.h"
#include "data/field.h"
#include "hostkit/labelprinter/printer_settings.h"

namespace briskal::data {
class Recordset;
}

namespace briskal::hostkit {

struct RunSnapshot {
  std::string title;
  std::filesystem::path templateFolder;  // where the template's images are found
  RegionalSettings regional;
  std::map<std::string, std::string> formulas;
  std::map<std::string, double> sectionHeights;  // millimetres
  std::set<std::string> suppressed;
  std::map<std::string, std::string> captions;  // each caption the template prints, as it printed
  std::string stock;
  int startAt = 1;
  std::optional<labelprinter::PrinterSettings> printer;  // a label printer's job
  std::vector<data::Field> fields;                       // of the records, one a label
};

std::string writeSnapshot(const RunSnapshot& snapshot);
// Throws briskal::Error when the text is damaged. Lines it does not know are skipped.
RunSnapshot readSnapshot(std::string_view text);

// The current record's values, each with its type, then `numbers`: the label's numbers (its SSCC,
// its serial number), texts kept as fields of their own after the records'.
std::string recordText(const data::Recordset& records, std::span<const std::string> numbers = {});
// A recordset of the snapshot's fields holding one record a text, in order. Throws briskal::Error
// when a text is damaged or holds another number of values than there are fields.
std::unique_ptr<data::Recordset> restoreRecords(const std::vector<data::Field>& fields,
                                                const std::vector<std::string_view>& texts);
// A record as a person reads it: "FIELD=value" for each value that is not empty, apart by "; ",
// and a single text field (a standard label's) as its lines, apart by " | ".
std::string readableRecord(const std::vector<data::Field>& fields, std::string_view text,
                           const RegionalSettings& regional);

}  // namespace briskal::hostkit
