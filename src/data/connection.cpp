#include "data/connection.h"

#include <iostream>

#include "common/utf8.h"
#include "data/connection_string.h"
#include "data/text_repair.h"

namespace briskal::data {

Connection::Connection()
    : warn_([](const std::string& text) { std::cerr << "briskal: warning: " << text << '\n'; }) {}
Connection::~Connection() = default;

void Connection::setConnectionString(std::string text) { connectionString_ = std::move(text); }

void Connection::setIsolationLevel(int32_t level) {
  isolationLevel_ = level;
  if (driver_) guarded([&] { driver_->setIsolationLevel(level); });
}

void Connection::open(std::string_view user, std::string_view password) {
  if (driver_) throw Error(err::kObjectOpen, "briskal.data", "The connection is already open");
  const ConnectionTarget target = parseConnectionString(connectionString_, user, password);
  driver_ = guarded([&] {
    return target.kind == ConnectionTarget::Kind::Odbc ? openOdbc(target.text) : openSqlite(target.text);
  });
  if (isolationLevel_ != isolation::kUnspecified) {
    try {
      guarded([&] { driver_->setIsolationLevel(isolationLevel_); });
    } catch (...) {
      driver_.reset();
      throw;
    }
  }
  depth_ = 0;
}

void Connection::close() {
  if (driver_ && depth_ > 0) {
    try {
      driver_->rollback();
    } catch (const Error&) {
      // Closing anyway: the database drops an unfinished transaction with the session.
    }
  }
  driver_.reset();
  depth_ = 0;
}

Dialect Connection::dialect() const { return driver_ ? driver_->dialect() : Dialect::Other; }

DriverConnection& Connection::driver() {
  if (!driver_) throw Error(err::kObjectClosed, "briskal.data", "The connection is closed");
  return *driver_;
}

template <typename F>
auto Connection::guarded(F&& call) -> decltype(call()) {
  try {
    return call();
  } catch (const DriverError& e) {
    errors_ = e.errors();
    throw;
  }
}

StatementResult Connection::execute(std::string_view sql, std::span<const Value> params) {
  DriverConnection& d = driver();
  const std::string adapted = adaptSql(sql, d.dialect());
  StatementResult result = guarded([&] { return d.execute(adapted, params); });
  if (result.rows) {
    const std::optional<TextRepair> repair = repairText(*result.rows, d);
    if (repair && warned_.insert(repair->place).second && warn_) warn_(repair->warning);
  }
  return result;
}

namespace {

// A prepared statement whose failures are listed on its connection like any other.
class ListedStatement final : public PreparedStatement {
 public:
  ListedStatement(std::unique_ptr<PreparedStatement> inner, std::vector<ProviderError>& errors)
      : inner_(std::move(inner)), errors_(errors) {}
  int64_t execute(std::span<const Value> params) override {
    try {
      return inner_->execute(params);
    } catch (const DriverError& e) {
      errors_ = e.errors();
      throw;
    }
  }

 private:
  std::unique_ptr<PreparedStatement> inner_;
  std::vector<ProviderError>& errors_;
};

}  // namespace

std::unique_ptr<PreparedStatement> Connection::prepare(std::string_view sql) {
  DriverConnection& d = driver();
  const std::string adapted = adaptSql(sql, d.dialect());
  return std::make_unique<ListedStatement>(guarded([&] { return d.prepare(adapted); }), errors_);
}

std::vector<std::string> Connection::primaryKey(std::string_view table) {
  DriverConnection& d = driver();
  return guarded([&] { return d.primaryKey(table); });
}

namespace {

std::string savepointName(int depth) { return "briskal_sp" + std::to_string(depth); }

}  // namespace

void Connection::beginTrans() {
  DriverConnection& d = driver();
  if (depth_ == 0) {
    guarded([&] { d.begin(); });
  } else {
    const std::string sql =
        (d.dialect() == Dialect::SqlServer ? "SAVE TRANSACTION " : "SAVEPOINT ") + savepointName(depth_);
    guarded([&] { d.execute(sql); });
  }
  ++depth_;
}

void Connection::commitTrans() {
  DriverConnection& d = driver();
  if (depth_ == 0) throw Error(err::kIllegalOperation, "briskal.data", "No transaction is open");
  if (depth_ == 1) {
    guarded([&] { d.commit(); });
  } else if (d.dialect() != Dialect::SqlServer) {
    guarded([&] { d.execute("RELEASE SAVEPOINT " + savepointName(depth_ - 1)); });
  }
  --depth_;
}

void Connection::rollbackTrans() {
  DriverConnection& d = driver();
  if (depth_ == 0) throw Error(err::kIllegalOperation, "briskal.data", "No transaction is open");
  --depth_;
  if (depth_ == 0) {
    guarded([&] { d.rollback(); });
  } else {
    const std::string name = savepointName(depth_);
    if (d.dialect() == Dialect::SqlServer) {
      guarded([&] { d.execute("ROLLBACK TRANSACTION " + name); });
    } else {
      guarded([&] { d.execute("ROLLBACK TO SAVEPOINT " + name); });
      guarded([&] { d.execute("RELEASE SAVEPOINT " + name); });
    }
  }
}

Transaction::Transaction(Connection& connection) : connection_(connection) { connection_.beginTrans(); }

Transaction::~Transaction() {
  if (done_) return;
  try {
    connection_.rollbackTrans();
  } catch (...) {
    // A destructor must not throw; the database drops the transaction with the session.
  }
}

void Transaction::commit() {
  connection_.commitTrans();
  done_ = true;
}

}  // namespace briskal::data
