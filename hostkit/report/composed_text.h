#pragma once
// A text composed of literal parts and the current record's fields, as a template writes it:
// "(10)L{DO11_NUMDOC}(15){DO31_DATACONS+365:yyMMdd}". A field is written in braces, with an
// optional format after a colon that prints it as a text's `format` does; a date field may be
// moved by whole days ("+365", a shelf life); "{{" and "}}" are braces.

#include <string>
#include <string_view>
#include <vector>

namespace briskal::hostkit::report {

struct ComposedPart {
  std::string literal;  // printed as it is when `field` is empty
  std::string field;
  std::string format;
  int days = 0;  // added to a date field
};

// Throws briskal::Error saying what is wrong: an unclosed or empty field, a lone brace.
std::vector<ComposedPart> parseComposed(std::string_view pattern);

}  // namespace briskal::hostkit::report
