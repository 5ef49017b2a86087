#pragma once
// The company's tables as the host's lookups read them: a connection of their own, made and opened
// on first use from the host's global context, and the company they are restricted to.

#include <memory>
#include <span>
#include <string_view>

#include "common/regional.h"
#include "common/value.h"
#include "data/connection.h"

namespace briskal::host {
class Cinterface;
class GlobalContext;
}  // namespace briskal::host

namespace briskal::hostkit {

class CompanyTables {
 public:
  // A new host forgets the connection made for the old one.
  void setHost(host::Cinterface* host);
  // Error 91 when no host was given.
  data::Connection& connection();
  Value company() const;
  const RegionalSettings& regional() const;
  data::ResultSet rows(std::string_view sql, std::span<const Value> params);

 private:
  host::GlobalContext& global() const;

  host::Cinterface* host_ = nullptr;
  std::unique_ptr<data::Connection> connection_;
};

}  // namespace briskal::hostkit
