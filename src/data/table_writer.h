#pragma once
// Writes recordset rows back to the one table they were read from: INSERT for added rows, UPDATE
// of the changed columns and DELETE, both located by the table's key as it was read (every
// column when the table has no key). An UPDATE or DELETE that finds no row, or more than one,
// is an error: a change is never reported as written when it was not.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/drivers/driver.h"

namespace briskal::data {

class Connection;
struct RecordsetData;

// The table of "SELECT * | col, ... FROM table [WITH (NOLOCK)] [WHERE ...] [ORDER BY ...]";
// nullopt for anything else (joins, expressions), which cannot be written back.
std::optional<std::string> writableTable(std::string_view source);

class TableWriter {
 public:
  TableWriter(Connection& connection, const RecordsetData& data);
  ~TableWriter();

  void insert(uint32_t row);
  void update(uint32_t row, const std::vector<Value>& original);
  void remove(const std::vector<Value>& original);

 private:
  // Runs `sql` with `params`, preparing each distinct text once; returns the rows affected.
  int64_t run(const std::string& sql, const std::vector<Value>& params);
  // The same for an UPDATE or DELETE that must touch exactly one row (error -2147217864 if not).
  void runOnOneRow(const std::string& sql, const std::vector<Value>& params);
  // " WHERE key = original" for the key fields and `alsoUnchanged`.
  void appendKey(std::string& sql, std::vector<Value>& params, const std::vector<Value>& original,
                 const std::vector<size_t>& alsoUnchanged = {}) const;
  Value columnValue(size_t field, const Value& v) const;

  Connection& connection_;
  const RecordsetData& data_;
  std::map<std::string, std::unique_ptr<PreparedStatement>> statements_;
};

}  // namespace briskal::data
