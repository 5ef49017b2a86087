#pragma once
// Text that is not valid UTF-8 (typed in another program, stored in another encoding) is made
// valid where it leaves the database: each invalid sequence becomes U+FFFD, so that every output
// can carry it, and the connection warns where it was.

#include <optional>
#include <string>

#include "data/drivers/driver.h"

namespace briskal::data {

struct TextRepair {
  std::string place;    // the first value repaired: its table, field and key (or row)
  std::string warning;  // what to tell, with how many other values were repaired with it
};

// Repairs the text cells of `rows`, which `driver` read; nullopt when they were all valid.
std::optional<TextRepair> repairText(ResultSet& rows, DriverConnection& driver);

}  // namespace briskal::data
