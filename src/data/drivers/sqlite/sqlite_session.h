#pragma once
// A connection to an SQLite file: write-ahead logging so that readers and one writer work side by
// side, a busy timeout so that workstations wait for each other instead of failing, and
// transactions that take the write lock when they begin.

#include <memory>
#include <string>

#include "data/drivers/driver.h"

struct sqlite3;

namespace briskal::data::sqlite {

class Session final : public DriverConnection {
 public:
  explicit Session(const std::string& path);

  Dialect dialect() const override { return Dialect::SQLite; }
  void setIsolationLevel(int32_t level) override;
  void begin() override;
  void commit() override;
  void rollback() override;
  StatementResult execute(std::string_view sql, std::span<const Value> params) override;
  std::unique_ptr<PreparedStatement> prepare(std::string_view sql) override;
  std::vector<std::string> primaryKey(std::string_view table) override;

 private:
  void exec(const char* sql);

  struct Closer {
    void operator()(sqlite3* db) const;
  };
  std::unique_ptr<sqlite3, Closer> db_;
};

}  // namespace briskal::data::sqlite
