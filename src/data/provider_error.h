#pragma once
// What a database reports when a statement fails, kept on the connection after the failure the way
// the platform's provider error collection is.

#include <cstdint>
#include <string>
#include <vector>

#include "common/error.h"

namespace briskal::data {

struct ProviderError {
  int32_t number = err::kProviderError;
  std::string description;
  std::string source;
  std::string sqlState;
  int32_t nativeError = 0;
};

// Thrown by a driver: error -2147467259 with the first description, and every entry the database
// gave, which the connection then lists in its errors().
class DriverError : public Error {
 public:
  explicit DriverError(std::vector<ProviderError> errors);
  const std::vector<ProviderError>& errors() const { return errors_; }

 private:
  std::vector<ProviderError> errors_;
};

}  // namespace briskal::data
