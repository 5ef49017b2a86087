# Writes OUTPUT, a C++ source whose briskal::hostkit::demoSchemaSql() returns the bytes of INPUT,
# so that the demo schema travels inside the program. Run as a build step:
#   cmake -DINPUT=schema.sql -DOUTPUT=demo_schema_sql.cpp -P embed_schema.cmake
if(NOT INPUT OR NOT OUTPUT)
  message(FATAL_ERROR "embed_schema.cmake needs -DINPUT=... and -DOUTPUT=...")
endif()

file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
# Sixteen bytes a line, each as a character literal ('\x2d'), so any byte is safe.
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
       "\\1\n" bytes "${bytes}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")

file(WRITE "${OUTPUT}"
"// Generated from data/demo/schema.sql by hostkit/demo/embed_schema.cmake; do not edit.
#include \"hostkit/demo/demo_schema.h\"

namespace briskal::hostkit {
namespace {

constexpr char kSchema[] = {
${bytes}'\\0'};

}  // namespace

std::string_view demoSchemaSql() { return std::string_view(kSchema, ${byte_count}); }

}  // namespace briskal::hostkit
")
