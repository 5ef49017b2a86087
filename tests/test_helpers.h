#pragma once

#include <cstdint>
#include <string>

#include "common/error.h"

namespace briskal::testing {

// The number of the briskal::Error the call throws, or 0 when it throws none.
template <typename F>
int32_t errorNumber(F&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

// The description of the briskal::Error the call throws, or "no error" when it throws none.
template <typename F>
std::string errorText(F&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.description();
  }
  return "no error";
}

}  // namespace briskal::testing
