#include <algorithm>

#include "cli/Cli.h"

namespace vantorix::cli {

Arguments::Arguments(std::vector<std::string> words) : words_(std::move(words)) {
  optionsEnd_ = static_cast<std::size_t>(std::find(words_.begin(), words_.end(), "--") - words_.begin());
}

bool Arguments::Flag(std::initializer_list<std::string_view> names) {
  bool found = false;
  for (std::size_t i = 0; i < optionsEnd_;) {
    if (std::find(names.begin(), names.end(), words_[i]) == names.end()) {
      ++i;
      continue;
    }
    words_.erase(words_.begin() + static_cast<std::ptrdiff_t>(i));
    --optionsEnd_;
    found = true;
  }
  return found;
}

std::optional<std::string> Arguments::Value(std::string_view name) {
  std::optional<std::string> value;
  for (std::size_t i = 0; i < optionsEnd_;) {
    const std::string& word = words_[i];
    std::size_t taken = 0;
    const bool joined = word.size() > name.size() && word.starts_with(name) && word[name.size()] == '=';
    if (word != name && !joined) {
      ++i;
      continue;
    }
    // Which of two values was meant is for the user to say: taking either may write what was not.
    if (value) throw UsageError(std::string(name) + " is given twice");
    if (joined) {
      value = word.substr(name.size() + 1);
      taken = 1;
    } else {
      if (i + 1 >= optionsEnd_) throw UsageError(std::string(name) + " needs a value");
      value = words_[i + 1];
      taken = 2;
    }
    words_.erase(words_.begin() + static_cast<std::ptrdiff_t>(i),
                 words_.begin() + static_cast<std::ptrdiff_t>(i + taken));
    optionsEnd_ -= taken;
  }
  return value;
}

std::vector<std::string> Arguments::Required(std::initializer_list<std::string_view> names, std::string_view command) {
  std::vector<std::string> values;
  std::string all;
  bool missing = false;
  for (const std::string_view name : names) {
    const auto value = Value(name);
    missing = missing || !value;
    values.push_back(value.value_or(""));
    all += std::string(all.empty() ? "" : values.size() == names.size() ? " and " : ", ") + std::string(name);
  }
  if (missing) throw UsageError(std::string(command) + " needs " + all);
  return values;
}

std::optional<std::string> Arguments::Shift() {
  if (optionsEnd_ == 0 || words_.front().starts_with('-')) return std::nullopt;
  std::string first = words_.front();
  words_.erase(words_.begin());
  --optionsEnd_;
  return first;
}

std::vector<std::string> Arguments::Operands(std::size_t least, std::size_t most, std::string_view what) {
  std::vector<std::string> operands;
  for (std::size_t i = 0; i < words_.size(); ++i) {
    if (i == optionsEnd_) continue;  // the "--" itself
    if (i < optionsEnd_ && words_[i].size() > 1 && words_[i][0] == '-') throw UsageError("unknown option " + words_[i]);
    operands.push_back(words_[i]);
  }
  if (operands.size() < least) throw UsageError("missing " + std::string(what));
  if (operands.size() > most) throw UsageError("too many operands: expected " + std::string(what));
  return operands;
}

}  // namespace vantorix::cli
