#pragma once

#include <cstdint>
#include <optional>
#include <span>
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

  // The published patch fixes the value: a table must know it.
  bool Fixed() const { return kind == Kind::Exact; }
  // A known value that fits, or an unknown one where the value is not fixed.
  bool Allows(Value value) const;
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
  // Offsets whose unpatched values are the stock image's own varied data (first, count;
  // none when count is 0). A table that knows them knows no fill pattern there.
  std::uint16_t variedFirst = 0;
  std::uint16_t variedCount = 0;

  // The slot of an offset, or nullptr when the version does not write it.
  const Slot* Find(std::uint16_t offset) const;
  // The one byte that all known removal values of the varied offsets repeat, when two or
  // more are known and all alike: a fill, not an unpatched image's data.
  std::optional<std::uint8_t> RepeatedRemoval(std::span<const Entry> entries) const;
};

// "0x3D7C-0x3F7F": the varied offsets of a layout, for messages.
std::string VariedRange(const Layout& layout);

const Layout& LayoutOf(Version version);

// "0x2004", the way every message writes an offset or a byte.
std::string Hex(unsigned value, int digits);
// "0x2004" for a known value, "--" for an unknown one.
std::string ValueText(Value value);
// Ascending offsets as runs: "0x0929-0x092C, 0x2000, 0x4C9C-0x4C9E".
std::string OffsetRanges(std::span<const std::uint16_t> offsets);

}  // namespace vantorix::wbpatch
