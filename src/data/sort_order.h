#pragma once
// Sort orders: "Field [ASC|DESC], ..." parsed against the fields, and a stable sort of row ids by
// them (Null first ascending, numbers before text, text ignoring case, ties in original order).

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace briskal::data {

class FieldIndex;
struct RecordsetData;

using SortKeys = std::vector<std::pair<size_t, bool>>;  // field, descending

// Error 3001 for a malformed order, 3265 for an unknown field.
SortKeys parseSortOrder(std::string_view text, const FieldIndex& index);
void sortRows(std::vector<uint32_t>& rows, const RecordsetData& data, const SortKeys& keys);

}  // namespace briskal::data
