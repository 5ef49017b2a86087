// Values typed into the filter rows: every kind of column either refuses them or turns them into
// a condition whose literals stay inside their quotes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "common/error.h"
#include "hostkit/controls/filter_condition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace briskal::hostkit;
  const std::string_view typed(reinterpret_cast<const char*>(data), size);
  const FilterColumn columns[] = {{"Codice", "DO30_CODART_MG66", ColumnKind::Text, 25},
                                  {"Numero doc.", "DO11_NUMDOC", ColumnKind::Number, 7},
                                  {"Data doc.", "DO11_DATADOC", ColumnKind::Date, 0},
                                  {"Stato", "VS_DO11.V_IDSTATO", ColumnKind::Status, 0}};
  for (const FilterColumn& column : columns) {
    std::optional<FilterBound> bound;
    try {
      bound = checkBound(column, typed, "KVX_ADVQ");
    } catch (const briskal::Error&) {
      continue;
    }
    for (const auto dialect : {briskal::data::Dialect::SqlServer, briskal::data::Dialect::SQLite,
                               briskal::data::Dialect::PostgreSQL}) {
      const std::string condition = rowCondition(column, bound, bound, dialect);
      // Outside quoted literals a condition holds no statement separator or comment.
      bool quoted = false;
      for (size_t i = 0; i < condition.size(); ++i) {
        if (condition[i] == '\'') quoted = !quoted;
        if (!quoted && (condition[i] == ';' || condition.compare(i, 2, "--") == 0)) std::abort();
      }
      if (quoted) std::abort();
    }
  }
  return 0;
}
