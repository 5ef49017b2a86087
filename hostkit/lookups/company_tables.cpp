#include "hostkit/lookups/company_tables.h"

#include "common/error.h"
#include "host/cinterface.h"
#include "host/services.h"

namespace briskal::hostkit {

void CompanyTables::setHost(host::Cinterface* host) {
  host_ = host;
  connection_.reset();
}

host::GlobalContext& CompanyTables::global() const {
  if (!host_ || !host_->ClsGlobal()) throwObjectNotSet("briskal");
  return *host_->ClsGlobal();
}

data::Connection& CompanyTables::connection() {
  if (!connection_) {
    host::GlobalContext& context = global();
    std::unique_ptr<data::Connection> cn = context.connectionFactory().newConnection();
    cn->setConnectionString(context.connectionString());
    cn->setRegionalSettings(context.regionalSettings());
    cn->setIsolationLevel(data::isolation::kReadUncommitted);
    cn->open();
    connection_ = std::move(cn);
  }
  return *connection_;
}

Value CompanyTables::company() const { return global().company(); }

const RegionalSettings& CompanyTables::regional() const { return global().regionalSettings(); }

data::ResultSet CompanyTables::rows(std::string_view sql, std::span<const Value> params) {
  data::StatementResult result = connection().execute(sql, params);
  if (!result.rows)
    throw Error(err::kInvalidProcedureCall, "briskal", "The lookup statement returned no rows");
  return std::move(*result.rows);
}

}  // namespace briskal::hostkit
