#include "foundation/ErrorReport.h"

#include <cstdlib>

namespace vantorix {

std::string ErrorReportText(const std::string& number, const std::string& description, const std::string& source,
                            const std::string& module, const std::string& procedure) {
  return "Error in " + module + "." + procedure + "\r\n\r\n" + "Error Number: " + number + "\r\n" +
         "Error Description: " + description + "\r\n" + "Error Source: " + source;
}

void ShowError(Shell& shell, const std::string& number, const std::string& description, const std::string& source,
               const std::string& module, const std::string& procedure, const std::string& title) {
  shell.MsgBox(ErrorReportText(number, description, source, module, procedure), MsgBoxStyle::Critical, title,
               BoxKind::Report(module, procedure, std::atoi(number.c_str())));
}

RuntimeError ReportCurrentException(Shell& shell, const ErrorSite& site) {
  RuntimeError error = CurrentExceptionAsRuntimeError();
  ShowError(shell, std::to_string(error.Number()), error.Description(), error.Source(), std::string(site.module),
            std::string(site.procedure), std::string(site.title));
  return error;
}

}  // namespace vantorix
