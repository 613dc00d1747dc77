#pragma once

#include <string>
#include <utility>

namespace vantorix {

// What an operation that callers chain (open, back up, save) came to, so that the next
// step is decided from a value and never from what was shown on the way.
class Outcome {
 public:
  enum class Kind { Done, Refused, Failed };

  // Done. A warning is what the user must still be told (a save whose folder flush failed).
  static Outcome Done(std::string warning = {}) { return Outcome(Kind::Done, std::move(warning)); }
  // Declined, as the rules say (a size or mask not taken, a file that is not there); the
  // reason has been shown where the rules show one.
  static Outcome Refused(std::string reason = {}) { return Outcome(Kind::Refused, std::move(reason)); }
  // Stopped by a run-time error, whose report has been shown.
  static Outcome Failed(std::string cause) { return Outcome(Kind::Failed, std::move(cause)); }

  // A failure whose cause is not known: the value a trapped procedure starts from.
  Outcome() = default;

  Kind Result() const { return kind_; }
  // The warning of a Done, the reason of a Refused, the cause of a Failed.
  const std::string& Detail() const { return detail_; }
  explicit operator bool() const { return kind_ == Kind::Done; }

 private:
  Outcome(Kind kind, std::string detail) : kind_(kind), detail_(std::move(detail)) {}
  Kind kind_ = Kind::Failed;
  std::string detail_;
};

}  // namespace vantorix
