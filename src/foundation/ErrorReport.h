#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "foundation/Outcome.h"
#include "foundation/RuntimeError.h"
#include "foundation/Shell.h"

namespace vantorix {

// Where a trapped procedure lives: the report's title, module and procedure name.
struct ErrorSite {
  std::string_view title;
  std::string_view module;
  std::string_view procedure;
};

// Box titles of the modules that report errors.
inline constexpr std::string_view kBinFileErrorTitle = "BIN File Error";
inline constexpr std::string_view kWindowErrorTitle = "Fennimar Error";
inline constexpr std::string_view kFileErrorTitle = "File Error";

// The text of the uniform error report.
std::string ErrorReportText(const std::string& number, const std::string& description, const std::string& source,
                            const std::string& module, const std::string& procedure);

// Shows the uniform error report: a modal box with the stop icon. Writes nothing to the log.
void ShowError(Shell& shell, const std::string& number, const std::string& description, const std::string& source,
               const std::string& module, const std::string& procedure, const std::string& title);

// Reports the exception being handled at the given site and returns it. Call only from
// inside a catch block.
RuntimeError ReportCurrentException(Shell& shell, const ErrorSite& site);

// The error trap every reporting procedure wraps its body in: an exception ends the body,
// is shown as one report naming the site, and the procedure returns `failure` (its
// result as assigned so far, which by convention is the initial value). Nothing that
// the body changed before the error is rolled back; the caller simply carries on.
template <class Body, class Result>
Result Trap(Shell& shell, const ErrorSite& site, Body&& body, Result failure) {
  try {
    return body();
  } catch (...) {
    ReportCurrentException(shell, site);
  }
  return failure;
}

// The same trap for bodies whose failure value is the result type's empty value
// (false, 0, empty text, an empty array) or that return nothing. An Outcome fails with
// the cause the report named.
template <class Body>
std::invoke_result_t<Body&> Trap(Shell& shell, const ErrorSite& site, Body&& body) {
  using Result = std::invoke_result_t<Body&>;
  if constexpr (std::is_void_v<Result>) {
    try {
      body();
    } catch (...) {
      ReportCurrentException(shell, site);
    }
  } else if constexpr (std::is_same_v<Result, Outcome>) {
    try {
      return body();
    } catch (...) {
      return Outcome::Failed(ReportCurrentException(shell, site).Description());
    }
  } else {
    return Trap(shell, site, std::forward<Body>(body), Result{});
  }
}

// The error trap of one module: called with a procedure name and a body, as Trap is
// with a whole site. A class holds one as a member named Trapped.
class ErrorTrapper {
 public:
  ErrorTrapper(Shell& shell, std::string_view title, std::string_view module)
      : shell_(shell), title_(title), module_(module) {}

  template <class Body>
  auto operator()(std::string_view procedure, Body&& body) const {
    return Trap(shell_, ErrorSite{title_, module_, procedure}, std::forward<Body>(body));
  }

 private:
  Shell& shell_;
  std::string_view title_;
  std::string_view module_;
};

}  // namespace vantorix
