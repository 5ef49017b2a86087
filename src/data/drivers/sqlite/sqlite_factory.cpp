#include "data/drivers/driver.h"
#include "data/drivers/sqlite/sqlite_session.h"

namespace briskal::data {

std::unique_ptr<DriverConnection> openSqlite(const std::string& path) {
  return std::make_unique<sqlite::Session>(path);
}

}  // namespace briskal::data
