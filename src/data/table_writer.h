#pragma once
// Writes recordset rows back to the one table they were read from: INSERT for added rows, UPDATE
// of the changed columns and DELETE, both located by the table's key as it was read.

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
  // Runs `sql` with `params`, preparing each distinct text once.
  void run(const std::string& sql, const std::vector<Value>& params);
  void appendKey(std::string& sql, std::vector<Value>& params, const std::vector<Value>& original) const;
  Value columnValue(size_t field, const Value& v) const;

  Connection& connection_;
  const RecordsetData& data_;
  std::map<std::string, std::unique_ptr<PreparedStatement>> statements_;
};

}  // namespace briskal::data
