#include "data/drivers/driver.h"
#include "data/drivers/odbc/odbc_session.h"

namespace briskal::data {

std::unique_ptr<DriverConnection> openOdbc(const std::string& connectionString) {
  return std::make_unique<odbc::Session>(connectionString);
}

}  // namespace briskal::data
