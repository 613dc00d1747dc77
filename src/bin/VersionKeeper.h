#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vantorix {

// What happened to a file whose bytes are kept as a version.
enum class VersionEvent { Opened, Saved, BackedUp, ChangedByCli, Restored };

// Where the open and save roads keep the versions they see; the version history
// implements it. Keeping never stands in the way of the user's operation: it reports its
// own failures and returns.
class VersionKeeper {
 public:
  virtual ~VersionKeeper() = default;
  virtual void Keep(VersionEvent event, const std::string& path, std::span<const std::uint8_t> bytes) = 0;
};

}  // namespace vantorix
