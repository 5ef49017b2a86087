#pragma once
// The text of data/demo/schema.sql, compiled into the program so that it needs no data files.

#include <string_view>

namespace briskal::hostkit {

std::string_view demoSchemaSql();

}  // namespace briskal::hostkit
