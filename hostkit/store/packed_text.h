#pragma once
// Text kept small in the database: deflated and written in base64, so that it is plain text every
// database and driver stores as it is given.

#include <string>
#include <string_view>

namespace briskal::hostkit {

std::string packText(std::string_view text);
// Throws briskal::Error when `packed` is not what packText wrote (a damaged row).
std::string unpackText(std::string_view packed);

}  // namespace briskal::hostkit
