#include "common/error.h"

#include <cerrno>

namespace briskal {

Error::Error(int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

int32_t fileErrorNumber(int errnoValue) {
  switch (errnoValue) {
    case ENOENT:
    case ENOTDIR: return err::kFileNotFound;
    case ENOSPC:
    case EDQUOT: return err::kDiskFull;
    case EACCES:
    case EPERM:
    case EROFS: return err::kPermissionDenied;
    case EIO: return err::kDeviceIoError;
    default: return err::kPathFileAccessError;
  }
}

void throwOverflow() { throw Error(err::kOverflow, "briskal", "Overflow"); }
void throwTypeMismatch() { throw Error(err::kTypeMismatch, "briskal", "Type mismatch"); }
void throwInvalidUseOfNull() { throw Error(err::kInvalidUseOfNull, "briskal", "Invalid use of Null"); }
void throwDivisionByZero() { throw Error(err::kDivisionByZero, "briskal", "Division by zero"); }

void throwObjectNotSet(const std::string& source) {
  throw Error(err::kObjectNotSet, source, "Object variable or With block variable not set");
}

}  // namespace briskal
