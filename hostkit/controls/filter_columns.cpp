#include "hostkit/controls/filter_columns.h"

#include <string_view>

#include "common/error.h"

namespace briskal::hostkit {
namespace {

// The attribute table holds two 40-character texts, a number and a date for each object.
constexpr int kAttributeTextLength = 40;

std::string_view groupCaption(int attributeKind) {
  switch (attributeKind) {
    case 6: return "Attributi progetto";
    case 7: return "Attributi nodo";
    case 19: return "Attributi documento testata";
    case 20: return "Attributi documento";
    default: return {};
  }
}

}  // namespace

FilterColumn filterColumn(const host::FilterField& field) {
  ColumnKind kind = ColumnKind::Text;
  if (field.kind == host::FilterValueKind::Number) kind = ColumnKind::Number;
  if (field.kind == host::FilterValueKind::Date) kind = ColumnKind::Date;
  return {field.caption, field.column, kind, kind == ColumnKind::Date ? 0 : field.maxLength};
}

FilterColumn filterColumn(const host::StatusFilterField& field) {
  return {field.caption, field.column, ColumnKind::Status, 0};
}

std::vector<FilterColumn> attributeColumns(const host::AttributeGroup& group, const std::string& source) {
  const std::string_view caption = groupCaption(group.attributeKind);
  if (caption.empty())
    throw Error(err::kInvalidProcedureCall, source,
                "Unknown identification-attribute kind " + std::to_string(group.attributeKind));
  const std::string prefix = std::string(caption) + " - attributo ";
  const std::string table = group.alias + ".CO5L_ATTRIB0";
  return {
      {prefix + "1", table + "1", ColumnKind::Text, kAttributeTextLength},
      {prefix + "2", table + "2", ColumnKind::Text, kAttributeTextLength},
      {prefix + "3", table + "3", ColumnKind::Number, 0},
      {prefix + "4", table + "4", ColumnKind::Date, 0},
  };
}

}  // namespace briskal::hostkit
