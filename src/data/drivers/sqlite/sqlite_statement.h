#pragma once
// One prepared SQLite statement: binding values, stepping, and reading a whole result set with
// values typed by each column's declared type.

#include <memory>
#include <span>
#include <string_view>

#include "data/drivers/driver.h"

struct sqlite3;
struct sqlite3_stmt;

namespace briskal::data::sqlite {

class Statement final : public PreparedStatement {
 public:
  // Prepares the first statement of `sql`; `tail` receives the rest of the text.
  Statement(sqlite3* db, std::string_view sql, std::string_view* tail = nullptr);
  ~Statement() override;

  bool empty() const { return stmt_ == nullptr; }
  int64_t execute(std::span<const Value> params) override;
  // Binds and runs; reads the rows when the statement returns columns.
  StatementResult run(std::span<const Value> params);

 private:
  void bind(std::span<const Value> params);
  ResultSet readAll();

  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace briskal::data::sqlite
