#include "data/drivers/odbc/odbc_statement.h"

#include <sqlext.h>

#include <optional>
#include <vector>

#include "common/utf8.h"
#include "data/drivers/odbc/odbc_error.h"
#include "data/drivers/odbc/odbc_result.h"
#include "data/drivers/odbc/odbc_session.h"
#include "data/drivers/odbc/odbc_text.h"

namespace briskal::data::odbc {
namespace {

constexpr size_t kBatchRows = 1000;

// A statement reduced to its outermost tokens: words (quoted names included), parenthesised
// groups taken whole, and single punctuation characters. Strings and comments are skipped over.
struct Token {
  enum class Kind { Word, Group, Symbol };
  Kind kind;
  std::string_view text;
};

bool isStatementWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
         c == '@' || c == '#' || static_cast<unsigned char>(c) >= 0x80;
}

// Index just past a quoted run starting at `i` (closing quote doubled to escape it).
size_t skipQuoted(std::string_view sql, size_t i, char close) {
  for (++i; i < sql.size(); ++i) {
    if (sql[i] != close) continue;
    if (i + 1 < sql.size() && sql[i + 1] == close && close != ']') {
      ++i;
      continue;
    }
    return i + 1;
  }
  return std::string_view::npos;
}

// Index just past a comment starting at `i`, or `i` when none starts there.
size_t skipComment(std::string_view sql, size_t i) {
  if (sql.substr(i, 2) == "--") {
    const size_t end = sql.find('\n', i);
    return end == std::string_view::npos ? sql.size() : end + 1;
  }
  if (sql.substr(i, 2) == "/*") {
    const size_t end = sql.find("*/", i + 2);
    return end == std::string_view::npos ? std::string_view::npos : end + 2;
  }
  return i;
}

std::optional<std::vector<Token>> outerTokens(std::string_view sql) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    const size_t afterComment = skipComment(sql, i);
    if (afterComment == std::string_view::npos) return std::nullopt;
    if (afterComment != i) {
      i = afterComment;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (c == '"' || c == '[' || c == '`') {
      const size_t end = skipQuoted(sql, i, c == '[' ? ']' : c);
      if (end == std::string_view::npos) return std::nullopt;
      tokens.push_back({Token::Kind::Word, sql.substr(i, end - i)});
      i = end;
    } else if (c == '(') {
      const size_t start = i;
      int depth = 0;
      while (i < sql.size()) {
        const size_t skipped = skipComment(sql, i);
        if (skipped == std::string_view::npos) return std::nullopt;
        if (skipped != i) {
          i = skipped;
          continue;
        }
        const char g = sql[i];
        if (g == '\'' || g == '"' || g == '[' || g == '`') {
          i = skipQuoted(sql, i, g == '[' ? ']' : g);
          if (i == std::string_view::npos) return std::nullopt;
          continue;
        }
        if (g == '(') ++depth;
        if (g == ')' && --depth == 0) break;
        ++i;
      }
      if (i == sql.size()) return std::nullopt;
      ++i;
      tokens.push_back({Token::Kind::Group, sql.substr(start, i - start)});
    } else if (isStatementWordChar(c)) {
      const size_t start = i;
      while (i < sql.size() && isStatementWordChar(sql[i])) ++i;
      tokens.push_back({Token::Kind::Word, sql.substr(start, i - start)});
    } else {
      tokens.push_back({Token::Kind::Symbol, sql.substr(i, 1)});
      ++i;
    }
  }
  return tokens;
}

// "INSERT INTO name [(columns)] VALUES (...)" and nothing after it but a semicolon: such a
// statement changes exactly one row or fails, which is what lets its rows wait for a batch.
bool isSingleRowInsert(std::string_view sql) {
  const auto tokens = outerTokens(sql);
  if (!tokens) return false;
  auto word = [&](size_t i, std::string_view keyword) {
    return i < tokens->size() && (*tokens)[i].kind == Token::Kind::Word &&
           utf8::equalsNoCase((*tokens)[i].text, keyword);
  };
  auto kind = [&](size_t i, Token::Kind k) { return i < tokens->size() && (*tokens)[i].kind == k; };
  auto symbol = [&](size_t i, std::string_view s) {
    return kind(i, Token::Kind::Symbol) && (*tokens)[i].text == s;
  };

  if (!word(0, "INSERT") || !word(1, "INTO") || !kind(2, Token::Kind::Word)) return false;
  size_t i = 3;
  while (symbol(i, ".") && kind(i + 1, Token::Kind::Word)) i += 2;
  if (kind(i, Token::Kind::Group)) ++i;
  if (!word(i, "VALUES") || !kind(i + 1, Token::Kind::Group)) return false;
  i += 2;
  if (symbol(i, ";")) ++i;
  return i == tokens->size();
}

}  // namespace

Statement::Statement(std::shared_ptr<SessionState> session, std::string_view sql)
    : session_(std::move(session)),
      stmt_(session_->newStatement()),
      singleRowInsert_(isSingleRowInsert(sql)) {
  std::vector<SQLWCHAR> text = toWide(sql);
  check(SQLPrepareW(stmt_.get(), text.data(), SQL_NTS), SQL_HANDLE_STMT, stmt_.get(), session_->source);
}

Statement::~Statement() {
  if (session_->pending != this) return;
  // A destructor has no one to tell: the failure stays on the transaction, which commit() refuses.
  try {
    send();
  } catch (const DriverError&) {
    // executeBatch() has recorded it.
  } catch (const std::exception& e) {
    ProviderError error;
    error.description = std::string("Rows held for a batched insert could not be sent: ") + e.what();
    error.source = session_->source;
    session_->failedBatch = {error};
  }
}

int64_t Statement::execute(std::span<const Value> params) {
  SessionState& session = *session_;
  session.ensureOpen();
  if (session.pending != nullptr && session.pending != this) session.sendPending();
  if (!batch_.accepts(params)) send();
  batch_.add(params);
  if (singleRowInsert_ && session.batchInserts && session.inTransaction && batch_.rows() < kBatchRows) {
    session.pending = this;
    return 1;
  }
  const bool acknowledged = batch_.rows() > 1;
  executeBatch(acknowledged);
  // A full batch of single-row inserts: this call's row is one of them.
  SQLLEN count = 1;
  if (!acknowledged) check(SQLRowCount(stmt_.get(), &count), SQL_HANDLE_STMT, stmt_.get(), session.source);
  closeCursor();
  return count;
}

StatementResult Statement::run(std::span<const Value> params) {
  batch_.add(params);
  executeBatch(false);
  StatementResult result = readResults(stmt_.get(), session_->dialect, session_->source);
  closeCursor();
  return result;
}

void Statement::send() {
  if (session_->pending == this) session_->pending = nullptr;
  if (batch_.empty()) return;
  executeBatch(true);
  closeCursor();
}

void Statement::discard() {
  if (session_->pending == this) session_->pending = nullptr;
  batch_.clear();
}

void Statement::executeBatch(bool acknowledged) {
  if (session_->pending == this) session_->pending = nullptr;
  SQLHSTMT stmt = stmt_.get();
  try {
    batch_.bind(stmt, session_->source);
    const SQLRETURN rc = SQLExecute(stmt);
    check(rc, SQL_HANDLE_STMT, stmt, session_->source);
    if (batch_.rows() > 1 && batch_.anyRowFailed()) {
      std::vector<ProviderError> errors = diagnostics(SQL_HANDLE_STMT, stmt, session_->source);
      if (errors.empty()) fail("The database refused rows of a batched insert", session_->source);
      throw DriverError(std::move(errors));
    }
  } catch (const DriverError& e) {
    batch_.clear();
    if (acknowledged) session_->failedBatch = e.errors();
    throw;
  }
  batch_.clear();
}

void Statement::closeCursor() { SQLFreeStmt(stmt_.get(), SQL_CLOSE); }

}  // namespace briskal::data::odbc
