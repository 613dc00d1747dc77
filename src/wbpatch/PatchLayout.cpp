#include "wbpatch/PatchLayout.h"

#include <algorithm>
#include <initializer_list>

#include "foundation/NumberText.h"

namespace vantorix::wbpatch {

namespace {

constexpr ByteRule Exactly(std::uint8_t value) { return {ByteRule::Kind::Exact, value}; }
constexpr ByteRule kZero = Exactly(0x00);
constexpr ByteRule kAny{ByteRule::Kind::Any};
constexpr ByteRule kPrintable{ByteRule::Kind::Printable};

class LayoutBuilder {
 public:
  explicit LayoutBuilder(std::uint8_t mask) { layout_.mask = mask; }

  LayoutBuilder& Fixed(std::uint16_t first, std::initializer_list<std::uint8_t> insertion,
                       std::initializer_list<std::uint8_t> removal, std::string_view part) {
    auto removed = removal.begin();
    std::uint16_t offset = first;
    for (const std::uint8_t inserted : insertion)
      layout_.slots.push_back({offset++, Exactly(inserted), Exactly(*removed++), part});
    return *this;
  }

  LayoutBuilder& Run(std::uint16_t first, std::uint16_t count, ByteRule insertion, ByteRule removal,
                     std::string_view part) {
    for (std::uint16_t offset = first; offset < first + count; ++offset)
      layout_.slots.push_back({offset, insertion, removal, part});
    return *this;
  }

  // A single byte whose insertion value is fixed inside a run of free bytes.
  LayoutBuilder& Pin(std::uint16_t offset, std::uint8_t insertion) {
    for (Slot& slot : layout_.slots)
      if (slot.offset == offset) slot.insertion = Exactly(insertion);
    return *this;
  }

  LayoutBuilder& VariedRemoval(std::uint16_t first, std::uint16_t count) {
    layout_.variedFirst = first;
    layout_.variedCount = count;
    return *this;
  }

  LayoutBuilder& ZeroWhenPatched(std::uint16_t first, std::uint16_t last) {
    for (std::uint16_t offset = first; offset <= last; ++offset) layout_.zeroWhenPatched.push_back(offset);
    return *this;
  }

  Layout Build() {
    std::sort(layout_.slots.begin(), layout_.slots.end(),
              [](const Slot& a, const Slot& b) { return a.offset < b.offset; });
    return std::move(layout_);
  }

 private:
  Layout layout_;
};

// The two $8D versions differ only in two routine bytes and in where the signature and
// the hook lie.
Layout Layout8D(std::uint8_t byte2004, std::uint8_t byte202D, std::uint16_t signature, std::uint16_t hook) {
  return LayoutBuilder(0x8D)
      .Fixed(0x0929, {0x00, 0x34, 0x00, 0x35}, {0x30, 0xF3, 0x30, 0xF4}, "fixed bytes")
      .Fixed(0x2000, {0x86}, {0x00}, "routine")
      .Run(0x2002, 18, kAny, kZero, "routine")
      .Pin(0x2004, byte2004)
      .Run(0x2015, 40, kAny, kZero, "routine")
      .Pin(0x202D, byte202D)
      .Run(0x203E, 2, kAny, kZero, "routine")
      .Run(0x2040, 34, kAny, kZero, "table")
      .Run(0x2070, 14, kPrintable, kZero, "text")
      .Run(signature, 10, kPrintable, kZero, "signature")
      .Fixed(hook, {0xBD, 0xA0, 0x00}, {0xCE, 0x00, 0xE2}, "hook")
      .ZeroWhenPatched(0x2001, 0x2001)
      .ZeroWhenPatched(0x2014, 0x2014)
      .ZeroWhenPatched(0x203D, 0x203D)
      .ZeroWhenPatched(0x2062, 0x206F)
      .ZeroWhenPatched(0x207E, static_cast<std::uint16_t>(signature - 1))
      .Build();
}

// The removal values of the 516-byte area are the stock image's own bytes, which vary
// and which only the published table holds.
Layout Layout6E() {
  return LayoutBuilder(0x6E)
      .Fixed(0x06CC, {0x4A}, {0xD5}, "fixed bytes")
      .Fixed(0x06CE, {0x4B}, {0xD6}, "fixed bytes")
      .Fixed(0x076B, {0x2F}, {0x4B}, "fixed bytes")
      .Fixed(0x07D9, {0x86, 0x00}, {0x96, 0x4B}, "fixed bytes")
      .Fixed(0x0E6C, {0xBD, 0xFD, 0x7C}, {0xCE, 0xC0, 0x2D}, "hook")
      .Run(0x3D7C, 64, kAny, kAny, "routine")
      .Run(0x3DBC, 34, kAny, kAny, "table")
      .Run(0x3DDE, 3, kZero, kAny, "zero run")
      .Run(0x3DE1, 14, kPrintable, kAny, "text")
      .Run(0x3DEF, 3, kZero, kAny, "zero run")
      .Run(0x3DF2, 10, kPrintable, kAny, "signature")
      .Run(0x3DFC, 388, kZero, kAny, "zero run")
      .VariedRemoval(0x3D7C, 516)
      .Build();
}

}  // namespace

bool ByteRule::Allows(Value byte) const {
  if (!byte) return !Fixed();
  switch (kind) {
    case Kind::Exact: return *byte == value;
    case Kind::Any: return true;
    case Kind::Printable: return *byte >= 0x20 && *byte <= 0x7E;
  }
  return false;
}

std::string ByteRule::Expectation() const {
  switch (kind) {
    case Kind::Exact: return Hex(value, 2);
    case Kind::Any: return "any value";
    case Kind::Printable: return "a printable ASCII character";
  }
  return {};
}

const Slot* Layout::Find(std::uint16_t offset) const {
  const auto found = std::lower_bound(slots.begin(), slots.end(), offset,
                                      [](const Slot& slot, std::uint16_t wanted) { return slot.offset < wanted; });
  return found != slots.end() && found->offset == offset ? &*found : nullptr;
}

std::optional<std::uint8_t> Layout::RepeatedRemoval(std::span<const Entry> entries) const {
  Value repeated;
  std::size_t known = 0;
  for (const Entry& entry : entries) {
    if (entry.offset < variedFirst || entry.offset - variedFirst >= variedCount || !entry.removal) continue;
    if (repeated && repeated != entry.removal) return std::nullopt;
    repeated = entry.removal;
    ++known;
  }
  return known >= 2 ? repeated : std::nullopt;
}

std::string VariedRange(const Layout& layout) {
  return Hex(layout.variedFirst, 4) + "-" + Hex(layout.variedFirst + layout.variedCount - 1U, 4);
}

const Layout& LayoutOf(Version version) {
  static const Layout axxc = Layout8D(0xFC, 0xF8, 0x2081, 0x4C9C);
  static const Layout aujp = Layout8D(0xDC, 0xD8, 0x2082, 0x4C90);
  static const Layout mask6E = Layout6E();
  switch (version) {
    case Version::Axxc8D: return axxc;
    case Version::Aujp8D: return aujp;
    case Version::Mask6E: break;
  }
  return mask6E;
}

std::string Hex(unsigned value, int digits) { return "0x" + number::HexText(value, digits); }

std::string ValueText(Value value) { return value ? Hex(*value, 2) : "--"; }

std::string OffsetRanges(std::span<const std::uint16_t> offsets) {
  std::string text;
  for (std::size_t first = 0; first < offsets.size();) {
    std::size_t last = first;
    while (last + 1 < offsets.size() && offsets[last + 1] == offsets[last] + 1) ++last;
    text += (text.empty() ? "" : ", ") + Hex(offsets[first], 4) + (last > first ? "-" + Hex(offsets[last], 4) : "");
    first = last + 1;
  }
  return text;
}

}  // namespace vantorix::wbpatch
