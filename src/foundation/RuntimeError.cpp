#include "foundation/RuntimeError.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>

#include "foundation/AppInfo.h"

namespace vantorix {

std::string StandardDescription(ErrorNumber number) {
  switch (number) {
    case ErrorNumber::InvalidProcedureCall: return "Invalid procedure call or argument";
    case ErrorNumber::Overflow: return "Overflow";
    case ErrorNumber::OutOfMemory: return "Out of memory";
    case ErrorNumber::SubscriptOutOfRange: return "Subscript out of range";
    case ErrorNumber::DivisionByZero: return "Division by zero";
    case ErrorNumber::TypeMismatch: return "Type mismatch";
    case ErrorNumber::InternalError: return "Internal error";
    case ErrorNumber::BadFileNameOrNumber: return "Bad file name or number";
    case ErrorNumber::FileNotFound: return "File not found";
    case ErrorNumber::DeviceIOError: return "Device I/O error";
    case ErrorNumber::DiskFull: return "Disk full";
    case ErrorNumber::InputPastEndOfFile: return "Input past end of file";
    case ErrorNumber::TooManyFiles: return "Too many files";
    case ErrorNumber::PermissionDenied: return "Permission denied";
    case ErrorNumber::PathFileAccessError: return "Path/File access error";
    case ErrorNumber::PathNotFound: return "Path not found";
    case ErrorNumber::ObjectVariableNotSet: return "Object variable or With block variable not set";
    case ErrorNumber::InvalidFileFormat: return "Invalid file format";
  }
  return "Application-defined or object-defined error";
}

namespace {

std::string Describe(ErrorNumber number, const std::string& detail) {
  std::string text = StandardDescription(number);
  if (!detail.empty()) text += " (" + detail + ")";
  return text;
}

ErrorNumber NumberForSystemError(int errorCode) {
  switch (errorCode) {
    case ENOENT: return ErrorNumber::FileNotFound;
    case ENOTDIR:
    case ELOOP: return ErrorNumber::PathNotFound;
    case ENAMETOOLONG: return ErrorNumber::BadFileNameOrNumber;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EWOULDBLOCK: return ErrorNumber::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ErrorNumber::DiskFull;
    case EIO: return ErrorNumber::DeviceIOError;
    case ENOMEM: return ErrorNumber::OutOfMemory;
    case EMFILE:
    case ENFILE: return ErrorNumber::TooManyFiles;
    case EBADF: return ErrorNumber::BadFileNameOrNumber;
    default: return ErrorNumber::PathFileAccessError;
  }
}

}  // namespace

RuntimeError::RuntimeError(ErrorNumber number, const std::string& detail)
    : std::runtime_error(Describe(number, detail)),
      number_(static_cast<int>(number)),
      description_(Describe(number, detail)),
      source_(app::kTitle) {}

RuntimeError ErrorFromSystem(int errorCode, const std::string& detail) {
  const ErrorNumber number = NumberForSystemError(errorCode);
  // The system's own words are added only where they say more than the standard description.
  const std::string reason = std::strerror(errorCode);
  std::string text = detail;
  if (reason != StandardDescription(number)) text += (text.empty() ? "" : ": ") + reason;
  return RuntimeError(number, text);
}

RuntimeError CurrentExceptionAsRuntimeError() {
  try {
    throw;
  } catch (const RuntimeError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return RuntimeError(ErrorNumber::OutOfMemory);
  } catch (const std::filesystem::filesystem_error& error) {
    std::string detail = error.path1().empty() ? std::string() : error.path1().string();
    return ErrorFromSystem(error.code().value(), detail);
  } catch (const std::system_error& error) {
    return ErrorFromSystem(error.code().value(), {});
  } catch (const std::out_of_range& error) {
    return RuntimeError(ErrorNumber::SubscriptOutOfRange, error.what());
  } catch (const std::overflow_error& error) {
    return RuntimeError(ErrorNumber::Overflow, error.what());
  } catch (const std::invalid_argument& error) {
    return RuntimeError(ErrorNumber::InvalidProcedureCall, error.what());
  } catch (const std::exception& error) {
    return RuntimeError(ErrorNumber::InternalError, error.what());
  } catch (...) {
    return RuntimeError(ErrorNumber::InternalError);
  }
}

}  // namespace vantorix
