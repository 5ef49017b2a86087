#pragma once
// The company's label printers as profiles in the company database, shared by every
// workstation: a name, where the printer is, and how it is driven (language, resolution, media,
// label size, darkness, speed, offsets, whether its status is asked). A run names a profile
// instead of repeating the printer's address and settings.

#include <optional>
#include <string>
#include <vector>

#include "common/value.h"
#include "hostkit/labelprinter/printer_settings.h"

namespace briskal::data {
class Connection;
}

namespace briskal::hostkit {

struct PrinterProfile {
  std::string name;
  std::string destination;                 // tcp://, ipp://, ipps:// or cups:QUEUE
  labelprinter::PrinterSettings settings;  // its name is the profile's
  std::string changedBy, changedUtc;       // who changed it last, and when
};

// Refusals are report::PrintFailure errors, told in English and Italian.
//
// Throws briskal::Error (invalid argument) saying what is wrong: a resolution other than 152,
// 203, 300 or 600 dpi, darkness beyond 0-30, speed beyond 1-14, a gap or mark beyond 0-30 mm, a
// label not 5-300 mm wide and 5-1000 mm long, offsets below 0 or past the label.
void checkPrinterSettings(const labelprinter::PrinterSettings& settings);
// The same, and a name of 1 to 40 characters that is neither an address nor a file's name,
// without control characters, and a label printer's address.
void checkProfile(const PrinterProfile& profile);

class PrinterProfiles {
 public:
  // The profiles of `company` on the database `connection` is open on (borrowed).
  PrinterProfiles(data::Connection& connection, Value company);

  // By name.
  std::vector<PrinterProfile> list();
  std::optional<PrinterProfile> find(const std::string& name);
  // Throws briskal::Error (invalid argument) for a profile checkProfile refuses or whose name is
  // taken; nothing is stored then.
  void add(const PrinterProfile& profile, const std::string& user);
  // Replaces the destination and settings of the profile of the same name. Throws
  // briskal::Error: item not found when there is none, invalid argument as add.
  void update(const PrinterProfile& profile, const std::string& user);
  // Throws briskal::Error (item not found) when there is none.
  void remove(const std::string& name);

 private:
  data::Connection& connection_;
  Value company_;
};

}  // namespace briskal::hostkit
