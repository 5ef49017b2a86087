#pragma once
// The error object every layer throws: number, source and description, as the forms expect to
// find them when they trap a failing step.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace briskal {

// Error numbers of the language runtime and of the data access layer.
// The platform's error numbers. Each means one thing: database failures are provider errors; files,
// devices and images have numbers of their own.
namespace err {
inline constexpr int32_t kInvalidProcedureCall = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kDivisionByZero = 11;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kFileNotFound = 53;
inline constexpr int32_t kDeviceIoError = 57;  // a printer or a socket that failed
inline constexpr int32_t kDiskFull = 61;
inline constexpr int32_t kPermissionDenied = 70;
inline constexpr int32_t kPathFileAccessError = 75;
inline constexpr int32_t kObjectNotSet = 91;
inline constexpr int32_t kInvalidUseOfNull = 94;
inline constexpr int32_t kInvalidPicture = 481;
inline constexpr int32_t kInvalidArgument = 3001;
inline constexpr int32_t kNoCurrentRecord = 3021;
inline constexpr int32_t kIllegalOperation = 3219;
inline constexpr int32_t kFeatureNotAvailable = 3251;
inline constexpr int32_t kItemNotFound = 3265;
inline constexpr int32_t kDataConversion = 3421;
inline constexpr int32_t kObjectClosed = 3704;
inline constexpr int32_t kObjectOpen = 3705;
inline constexpr int32_t kInvalidConnection = 3709;
inline constexpr int32_t kProviderError = -2147467259;      // 0x80004005
inline constexpr int32_t kMultipleStepError = -2147217887;  // 0x80040E21
inline constexpr int32_t kRowNotFound = -2147217864;        // 0x80040E38
}  // namespace err

// An error's source names who raised it: the component's object or form for its own errors, the
// host service ("ReportService", "LabelPrinter") for a service's, the database provider for a
// database's, and "briskal" for the host program's.
class Error : public std::runtime_error {
 public:
  Error(int32_t number, std::string source, std::string description);

  int32_t number() const noexcept { return number_; }
  const std::string& source() const noexcept { return source_; }
  const std::string& description() const noexcept { return description_; }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
};

// The number of a failed file operation, from the system's errno.
int32_t fileErrorNumber(int errnoValue);

// Shorthands for the runtime's own errors, with its standard descriptions.
[[noreturn]] void throwOverflow();
[[noreturn]] void throwTypeMismatch();
[[noreturn]] void throwInvalidUseOfNull();
[[noreturn]] void throwDivisionByZero();
// An object used before it is set; `source` names who used it.
[[noreturn]] void throwObjectNotSet(const std::string& source);

}  // namespace briskal
