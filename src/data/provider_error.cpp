#include "data/provider_error.h"

namespace briskal::data {
namespace {

std::string firstDescription(const std::vector<ProviderError>& errors) {
  return errors.empty() ? std::string("Unspecified database error") : errors.front().description;
}
std::string firstSource(const std::vector<ProviderError>& errors) {
  return errors.empty() ? std::string("briskal.data") : errors.front().source;
}

}  // namespace

DriverError::DriverError(std::vector<ProviderError> errors)
    : Error(err::kProviderError, firstSource(errors), firstDescription(errors)), errors_(std::move(errors)) {}

}  // namespace briskal::data
