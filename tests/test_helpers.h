#pragma once

#include <cstdint>

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

}  // namespace briskal::testing
