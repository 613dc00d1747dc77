#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "wbpatch/PatchTable.h"

// The fixed layout of each patch version: which offsets a table must list, and what it
// may hold there. Used by the table reader and the derivation from two images.
namespace vantorix::wbpatch {

struct ByteRule {
  enum class Kind : std::uint8_t { Exact, Any, Printable } kind;
  std::uint8_t value = 0;  // for Exact

  bool Allows(std::uint8_t byte) const;
  // What the rule asks for, in words: "0xFC", "a printable ASCII character".
  std::string Expectation() const;
};

struct Slot {
  std::uint16_t offset;
  ByteRule insertion;
  ByteRule removal;
  std::string_view part;  // "routine", "hook", ... for messages
};

struct Layout {
  std::uint8_t mask;        // the mask byte of the images the version is for
  std::vector<Slot> slots;  // ascending offsets, one slot an entry
  // Offsets that neither operation writes but that hold 0x00 once the patch is applied.
  std::vector<std::uint16_t> zeroWhenPatched;

  // The slot of an offset, or nullptr when the version does not write it.
  const Slot* Find(std::uint16_t offset) const;
};

const Layout& LayoutOf(Version version);

// "0x2004", the way every message writes an offset or a byte.
std::string Hex(unsigned value, int digits);

}  // namespace vantorix::wbpatch
