// Recordset criteria: whatever the text, Filter either applies it or refuses it with an error.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "common/error.h"
#include "data/recordset.h"

namespace {

briskal::data::Recordset& rows() {
  using briskal::Value;
  using briskal::data::FieldType;
  static const std::unique_ptr<briskal::data::Recordset> rs = [] {
    auto r = std::make_unique<briskal::data::Recordset>();
    r->appendField("ID", FieldType::Integer);
    r->appendField("CODE", FieldType::Char, 10, briskal::data::attr::kIsNullable);
    r->appendField("QTY", FieldType::Decimal, 14, briskal::data::attr::kIsNullable);
    r->appendField("DAY", FieldType::Date, 0, briskal::data::attr::kIsNullable);
    r->appendField("ANY", FieldType::Variant, 0, briskal::data::attr::kIsNullable);
    r->open();
    for (int32_t id = 1; id <= 4; ++id) {
      r->addNew();
      r->setValue("ID", Value(id));
      r->setValue("CODE", Value(id % 2 ? "AB" : "O'X"));
      r->setValue("QTY", Value(id * 1.5));
      r->update();
    }
    return r;
  }();
  return *rs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  briskal::data::Recordset& rs = rows();
  try {
    rs.setFilter(text);
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
    }
  } catch (const briskal::Error&) {
  }
  try {
    rs.setFilter("");
    rs.moveFirst();
    rs.find(text);
  } catch (const briskal::Error&) {
  }
  return 0;
}
