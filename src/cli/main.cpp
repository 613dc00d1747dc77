// vantorix-cli: the command-line companion of the Vantorix window program.
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <utility>

#include "cli/Cli.h"
#include "foundation/AppInfo.h"
#include "foundation/RuntimeError.h"

namespace vantorix::cli {

namespace {

struct Command {
  std::string_view name;
  Status (*run)(Arguments&, Context&);
};

constexpr Command kCommands[] = {{"info", Info},   {"checksum", Checksum}, {"afr", Afr},       {"set-afr", SetAfr},
                                 {"wb", WideBand}, {"diff", Diff},         {"sample", Sample}, {"history", History}};

Status Run(std::vector<std::string> words) {
  if (words.size() == 1 && words.front() == "--version") {
    std::cout << kProgram << " " << app::kVersionText << '\n';
    return kOk;
  }
  Arguments global(words);
  const bool verbose = global.Flag({"--verbose", "-v"});
  CliShell shell(std::cerr, verbose);
  history::Recorder recorder([&shell](const std::string& line) { shell.Tell(line); });
  Context context{shell, std::cout, recorder};
  std::string name;
  try {
    const auto first = global.Shift();
    const bool help = global.Flag({"--help", "-h"});
    name = first == "help" ? global.Shift().value_or("") : first.value_or("");
    if (help || first == "help") {
      if (HelpText(name).empty()) throw UsageError("unknown command " + std::exchange(name, ""));
      std::cout << HelpText(name);
      return kOk;
    }
    if (!first) throw UsageError("expected a command first, then its operands and options");
    for (const Command& command : kCommands)
      if (command.name == name) return command.run(global, context);
    name.clear();
    throw UsageError("unknown command " + *first);
  } catch (const UsageError& error) {
    shell.Subject("");
    shell.Tell(error.what());
    std::cerr << "Try '" << kProgram << (name.empty() ? "" : " " + name) << " --help'.\n";
    return kUsageError;
  }
}

// A script reads what was printed: output lost to a full disk or a closed pipe must not
// pass for a clean run. Checked up to the close, where a buffered write shows its error.
bool OutputWritten() {
  errno = 0;
  std::cout.flush();
  const bool streamFailed = !std::cout;
  int cause = errno;
  const bool closeFailed = std::fclose(stdout) != 0;
  if (cause == 0) cause = errno;
  if (!streamFailed && !closeFailed) return true;
  std::cerr << kProgram << ": the output could not be written"
            << (cause != 0 ? std::string(": ") + std::strerror(cause) : std::string()) << '\n';
  return false;
}

}  // namespace

}  // namespace vantorix::cli

int main(int argc, char** argv) {
  using namespace vantorix::cli;
  std::setlocale(LC_TIME, "");  // log lines show the time of day as the user writes it
  Status status = kFileError;
  try {
    status = Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (...) {
    // Nothing may end the program without a word: say what went wrong.
    std::cerr << kProgram << ": " << vantorix::CurrentExceptionAsRuntimeError().Description() << '\n';
  }
  return OutputWritten() ? status : Worst(status, kFileError);
}
