#pragma once
// The host's code decoding and search lists over the company's own tables, and its decoding of
// project nodes. Every statement binds its values; a code is found only by equality, so quotes and
// wildcards in it stand for themselves.

#include "host/services.h"
#include "hostkit/lookups/company_tables.h"
#include "hostkit/lookups/search_list.h"

namespace briskal::hostkit {

class CodeDecoder final : public host::LookupDecode {
 public:
  // `screen` shows the search lists.
  explicit CodeDecoder(SearchListDriver screen);

  void setHost(host::Cinterface* host) override { tables_.setHost(host); }
  bool exists(host::CodeKind kind, const std::vector<Value>& key) override;
  Value description(host::CodeKind kind, const std::vector<Value>& key) override;
  std::optional<std::string> search(host::CodeKind kind, const std::vector<Value>& parents,
                                    const std::string& title) override;

 private:
  SearchListDriver screen_;
  CompanyTables tables_;
};

class NodeDecoder final : public host::NodeDecode {
 public:
  void setHost(host::Cinterface* host) override { tables_.setHost(host); }
  bool exists(const Value& project, const Value& node) override;
  Value description(const Value& project, const Value& node) override;

 private:
  CompanyTables tables_;
};

// The text a search list shows for a cell: numbers and dates by the regional settings, Null as
// nothing, texts without their trailing blanks.
std::string cellText(const Value& value, const RegionalSettings& regional);

}  // namespace briskal::hostkit
