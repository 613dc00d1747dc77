// Any bytes as a command line (words split at NUL bytes; the first byte picks the calls):
// the argument parser takes what it is asked for or refuses with a usage error, never
// anything else, and every word it hands back is one of the words it was given (or the
// value part of a "--name=VALUE" word), each at most once.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "cli/Cli.h"

namespace vantorix::fuzz {
namespace {

std::vector<std::string> Words(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words(1);
  for (std::size_t k = 0; k < size; ++k) {
    if (data[k] == 0)
      words.emplace_back();
    else
      words.back() += static_cast<char>(data[k]);
  }
  return words;
}

bool IsGiven(const std::vector<std::string>& given, const std::string& word) {
  return std::any_of(given.begin(), given.end(), [&](const std::string& w) {
    return w == word || (w.size() > word.size() && w.ends_with("=" + word));
  });
}

}  // namespace
}  // namespace vantorix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantorix;
  if (size == 0) return 0;
  const unsigned plan = data[0];
  const std::vector<std::string> given = fuzz::Words(data + 1, size - 1);
  cli::Arguments arguments(given);
  std::vector<std::string> handed;
  try {
    if (plan & 1U) {
      if (const auto word = arguments.Shift()) handed.push_back(*word);
    }
    if (plan & 2U) arguments.Flag({"--verbose", "-v"});
    if (plan & 4U) {
      if (const auto value = arguments.Value("--afr")) handed.push_back(*value);
    }
    if (plan & 8U) {
      for (const auto& value : arguments.Required({"--stock", "--patched"}, "wb derive")) handed.push_back(value);
    }
    for (const auto& operand : arguments.Operands(plan >> 4U & 1U, (plan >> 5U) + 1U, "IMAGE"))
      handed.push_back(operand);
  } catch (const cli::UsageError& error) {
    fuzz::Check(*error.what() != '\0', "a usage error says what is wrong");
  }
  for (const auto& word : handed) fuzz::Check(fuzz::IsGiven(given, word), "a word handed back was given", word);
  fuzz::Check(handed.size() <= given.size(), "no word is handed back twice");
  return 0;
}
