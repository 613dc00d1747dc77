#pragma once

#include <stdexcept>
#include <string>

namespace vantorix {

// The classic run-time error numbers that this program raises.
enum class ErrorNumber : int {
  InvalidProcedureCall = 5,
  Overflow = 6,
  OutOfMemory = 7,
  SubscriptOutOfRange = 9,
  DivisionByZero = 11,
  TypeMismatch = 13,
  InternalError = 51,
  BadFileNameOrNumber = 52,
  FileNotFound = 53,
  DeviceIOError = 57,
  DiskFull = 61,
  InputPastEndOfFile = 62,
  TooManyFiles = 67,
  PermissionDenied = 70,
  PathFileAccessError = 75,
  PathNotFound = 76,
  ObjectVariableNotSet = 91,
  InvalidFileFormat = 321,
};

// The standard description of a number, e.g. "Subscript out of range".
std::string StandardDescription(ErrorNumber number);

// A run-time error: what an error report shows besides the place it happened.
class RuntimeError : public std::runtime_error {
 public:
  // The description is the standard one, followed by " (detail)" when a detail is given,
  // so the user learns which file or value was at fault.
  explicit RuntimeError(ErrorNumber number, const std::string& detail = {});

  int Number() const noexcept { return number_; }
  const std::string& Description() const noexcept { return description_; }
  const std::string& Source() const noexcept { return source_; }

 private:
  int number_;
  std::string description_;
  std::string source_;
};

// Translates an operating-system error code (errno) into the nearest run-time error.
RuntimeError ErrorFromSystem(int errorCode, const std::string& detail);

// Translates the exception that is being handled into a run-time error.
// Must be called from inside a catch block.
RuntimeError CurrentExceptionAsRuntimeError();

}  // namespace vantorix
