#include "data/drivers/sqlite/sqlite_statement.h"

#include <sqlite3.h>

#include <limits>

#include "data/drivers/sqlite/sqlite_error.h"
#include "data/drivers/sqlite/sqlite_types.h"

namespace briskal::data::sqlite {
namespace {

std::string_view columnText(sqlite3_stmt* stmt, int col) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
  return text ? std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(stmt, col)))
              : std::string_view();
}

Value integerValue(int64_t v, FieldType type) {
  if (type == FieldType::SmallInt && v >= std::numeric_limits<int16_t>::min() &&
      v <= std::numeric_limits<int16_t>::max())
    return Value(static_cast<int16_t>(v));
  if (type != FieldType::BigInt && v >= std::numeric_limits<int32_t>::min() &&
      v <= std::numeric_limits<int32_t>::max())
    return Value(static_cast<int32_t>(v));
  return Value(v);
}

// Reads one cell as the declared column type asks; a value that does not fit its declared type
// (SQLite stores whatever it is given) comes back as it was stored.
Value readCell(sqlite3_stmt* stmt, int col, const Field& field) {
  const int storage = sqlite3_column_type(stmt, col);
  if (storage == SQLITE_NULL) return Value::null();
  switch (field.type) {
    case FieldType::Decimal: {
      std::optional<Decimal> d;
      if (storage == SQLITE_INTEGER) d = Decimal(static_cast<int64_t>(sqlite3_column_int64(stmt, col)));
      else d = Decimal::parse(columnText(stmt, col));
      if (!d) return Value(std::string(columnText(stmt, col)));
      // Stored as a double: bring it back to the declared scale.
      return Value(field.numericScale > 0 || storage != SQLITE_INTEGER ? d->rescale(field.numericScale) : *d);
    }
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::BigInt:
      if (storage == SQLITE_INTEGER) return integerValue(sqlite3_column_int64(stmt, col), field.type);
      if (storage == SQLITE_FLOAT) return Value(sqlite3_column_double(stmt, col));
      return Value(std::string(columnText(stmt, col)));
    case FieldType::Double:
      if (storage == SQLITE_TEXT) return Value(std::string(columnText(stmt, col)));
      return Value(sqlite3_column_double(stmt, col));
    case FieldType::Boolean:
      if (storage == SQLITE_TEXT) return Value(std::string(columnText(stmt, col)));
      return Value(sqlite3_column_int64(stmt, col) != 0);
    case FieldType::Date:
      if (storage == SQLITE_TEXT) {
        if (auto date = DateTime::parseIso(columnText(stmt, col))) return Value(*date);
      }
      return Value(std::string(columnText(stmt, col)));
    default:
      if (storage == SQLITE_INTEGER && !isTextType(field.type))
        return integerValue(sqlite3_column_int64(stmt, col), FieldType::BigInt);
      if (storage == SQLITE_FLOAT && !isTextType(field.type)) return Value(sqlite3_column_double(stmt, col));
      return Value(std::string(columnText(stmt, col)));
  }
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql, std::string_view* tail) : db_(db) {
  const char* rest = nullptr;
  const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, &rest);
  if (rc != SQLITE_OK) fail(rc, db, sql.size() > 200 ? sql.substr(0, 200) : sql);
  if (tail) *tail = sql.substr(static_cast<size_t>(rest - sql.data()));
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::bind(std::span<const Value> params) {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  int index = 1;
  for (const Value& v : params) {
    int rc = SQLITE_OK;
    switch (v.kind()) {
      case Value::Kind::Empty:
      case Value::Kind::Null: rc = sqlite3_bind_null(stmt_, index); break;
      case Value::Kind::Bool: rc = sqlite3_bind_int(stmt_, index, v.asBool() ? 1 : 0); break;
      case Value::Kind::Int16: rc = sqlite3_bind_int(stmt_, index, v.asInt16()); break;
      case Value::Kind::Int32: rc = sqlite3_bind_int(stmt_, index, v.asInt32()); break;
      case Value::Kind::Int64: rc = sqlite3_bind_int64(stmt_, index, v.asInt64()); break;
      case Value::Kind::Double: rc = sqlite3_bind_double(stmt_, index, v.asDouble()); break;
      case Value::Kind::Decimal: {
        const Decimal& d = v.asDecimal();
        if (d.scale() == 0 && d.integerDigits() <= 18) {
          rc = sqlite3_bind_int64(stmt_, index, d.toInt64());
        } else {
          const std::string text = d.toString();
          rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        }
        break;
      }
      case Value::Kind::Text:
        rc = sqlite3_bind_text(stmt_, index, v.asText().data(), static_cast<int>(v.asText().size()),
                               SQLITE_TRANSIENT);
        break;
      case Value::Kind::Date: {
        const std::string text = v.asDate().toIso();
        rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        break;
      }
    }
    check(rc, db_, "binding a parameter");
    ++index;
  }
}

int64_t Statement::execute(std::span<const Value> params) {
  bind(params);
  int rc;
  while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) fail(rc, db_, sqlite3_sql(stmt_));
  return sqlite3_changes64(db_);
}

StatementResult Statement::run(std::span<const Value> params) {
  bind(params);
  StatementResult result;
  if (sqlite3_column_count(stmt_) > 0) {
    result.rows = readAll();
  } else {
    const int rc = sqlite3_step(stmt_);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) fail(rc, db_, sqlite3_sql(stmt_));
    result.rowsAffected = sqlite3_changes64(db_);
  }
  return result;
}

ResultSet Statement::readAll() {
  ResultSet rs;
  const int columns = sqlite3_column_count(stmt_);
  rs.columns.reserve(static_cast<size_t>(columns));
  for (int c = 0; c < columns; ++c) {
    rs.columns.push_back(
        fieldFromDeclaredType(sqlite3_column_name(stmt_, c), sqlite3_column_decltype(stmt_, c)));
  }
  for (int c = 0; c < columns; ++c) {
    const char* table = sqlite3_column_table_name(stmt_, c);
    rs.baseTables.emplace_back(table ? table : "");
  }
  std::vector<bool> typeKnown(static_cast<size_t>(columns));
  for (int c = 0; c < columns; ++c)
    typeKnown[static_cast<size_t>(c)] = sqlite3_column_decltype(stmt_, c) != nullptr;
  int rc;
  while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
    for (int c = 0; c < columns; ++c) {
      Field& field = rs.columns[static_cast<size_t>(c)];
      if (!typeKnown[static_cast<size_t>(c)] && sqlite3_column_type(stmt_, c) != SQLITE_NULL) {
        // An expression column: its first value decides the type.
        field.type = typeOfStorage(sqlite3_column_type(stmt_, c));
        typeKnown[static_cast<size_t>(c)] = true;
      }
      rs.cells.push_back(readCell(stmt_, c, field));
    }
    ++rs.rowCount;
  }
  if (rc != SQLITE_DONE) fail(rc, db_, sqlite3_sql(stmt_));
  return rs;
}

}  // namespace briskal::data::sqlite
