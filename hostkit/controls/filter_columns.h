#pragma once
// The columns a query filter offers, one for each caption a user can pick: the ordinary fields,
// the status fields, and four attributes for each identification-attribute group.

#include <string>
#include <vector>

#include "host/controls.h"

namespace briskal::hostkit {

enum class ColumnKind { Text, Number, Date, Status };

struct FilterColumn {
  std::string caption;
  std::string column;  // as written in the condition, alias included
  ColumnKind kind = ColumnKind::Text;
  int maxLength = 0;  // characters of a text, digits of a number; 0: no limit
};

FilterColumn filterColumn(const host::FilterField& field);
FilterColumn filterColumn(const host::StatusFilterField& field);
// "<group caption> - attributo 1" to "... 4" on <alias>.CO5L_ATTRIB01 to 04: two texts, a number
// and a date. Error 5 for an attribute kind without a group caption.
std::vector<FilterColumn> attributeColumns(const host::AttributeGroup& group, const std::string& source);

}  // namespace briskal::hostkit
