#pragma once
// A statement prepared once and executed with new parameters each time (bound afresh on every
// execute). Single-row inserts may be held back for a batch; see Session.

#include <sql.h>

#include <memory>
#include <span>
#include <string_view>

#include "data/drivers/driver.h"
#include "data/drivers/odbc/odbc_handle.h"
#include "data/drivers/odbc/odbc_params.h"

namespace briskal::data::odbc {

struct SessionState;

class Statement final : public PreparedStatement {
 public:
  // Throws DriverError when the database refuses the statement.
  Statement(std::shared_ptr<SessionState> session, std::string_view sql);
  // Rows still held back are sent; if they fail, the open transaction can no longer commit.
  ~Statement() override;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  int64_t execute(std::span<const Value> params) override;
  // Executes once and reads what the statement produced. Throws DriverError.
  StatementResult run(std::span<const Value> params);
  // Sends the rows held back. Throws DriverError.
  void send();
  // Drops the rows held back, whose transaction was rolled back.
  void discard();

 private:
  // Binds and executes the rows of the batch, which is left empty. A failure of rows already
  // acknowledged to the caller marks the transaction failed.
  void executeBatch(bool acknowledged);
  void closeCursor();

  std::shared_ptr<SessionState> session_;
  StatementHandle stmt_;
  bool singleRowInsert_ = false;
  ParameterBatch batch_;
};

}  // namespace briskal::data::odbc
