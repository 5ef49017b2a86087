#pragma once
// The command line the end-to-end tests run: the one this build made.

#include <string>

namespace briskal {

inline const std::string kBriskal = BRISKAL_BIN;

}  // namespace briskal
