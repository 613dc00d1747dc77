#include "wbpatch/PatchTable.h"

#include <algorithm>
#include <map>

#include "app/RuntimeError.h"
#include "wbpatch/BroadcastCode.h"
#include "wbpatch/PatchLayout.h"

namespace vantorix::wbpatch {

std::string_view VersionName(Version version) {
  switch (version) {
    case Version::Axxc8D: return "8D/AXXC";
    case Version::Aujp8D: return "8D/AUJP";
    case Version::Mask6E: break;
  }
  return "6E";
}

std::string_view TableFileName(Version version) {
  switch (version) {
    case Version::Axxc8D: return "8D-AXXC.txt";
    case Version::Aujp8D: return "8D-AUJP.txt";
    case Version::Mask6E: break;
  }
  return "6E.txt";
}

std::optional<Version> VersionFor(std::string_view mask, std::string_view bcc) {
  if (mask == "6E") return Version::Mask6E;
  if (mask != "8D") return std::nullopt;
  if (bcc == bcc::kAxxc) return Version::Axxc8D;
  if (bcc == bcc::kAujp) return Version::Aujp8D;
  return std::nullopt;
}

namespace {

constexpr std::string_view kBlanks = " \t\r";

// One line of a table file being read, for messages that name it.
class TableLine {
 public:
  TableLine(const std::string& origin, std::size_t number) : origin_(origin), number_(number) {}

  [[noreturn]] void Refuse(const std::string& why) const {
    throw RuntimeError(ErrorNumber::InvalidFileFormat, origin_ + " line " + std::to_string(number_) + ": " + why);
  }

  unsigned Number(std::string_view token, std::size_t maxDigits, std::string_view what) const {
    if (token.size() > maxDigits)
      Refuse(std::string(what) + " " + std::string(token) + " has more than " + std::to_string(maxDigits) +
             " hexadecimal digits");
    unsigned value = 0;
    for (const char digit : token) {
      const auto lower = static_cast<char>(digit | 0x20);
      if (digit >= '0' && digit <= '9') value = value * 16 + static_cast<unsigned>(digit - '0');
      else if (lower >= 'a' && lower <= 'f') value = value * 16 + static_cast<unsigned>(lower - 'a' + 10);
      else Refuse(std::string(what) + " " + std::string(token) + " is not a hexadecimal number");
    }
    return value;
  }

 private:
  const std::string& origin_;
  std::size_t number_;
};

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  while (true) {
    const auto start = text.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) return tokens;
    text.remove_prefix(start);
    const auto end = std::min(text.find_first_of(kBlanks), text.size());
    tokens.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
}

void CheckValue(const TableLine& line, const Slot& slot, std::string_view which, std::uint8_t value,
                const ByteRule& rule, Version version) {
  if (rule.Allows(value)) return;
  line.Refuse(std::string(which) + " value " + Hex(value, 2) + " at " + Hex(slot.offset, 4) + " (" +
              std::string(slot.part) + "): the " + std::string(VersionName(version)) + " patch has " +
              rule.Expectation() + " there");
}

}  // namespace

Table ParseTable(Version version, std::string_view text, const std::string& origin) {
  const Layout& layout = LayoutOf(version);
  const std::string name(VersionName(version));
  Table table{version, {}, origin};
  std::size_t lineNumber = 0;  // counted from 1 as a text editor counts
  while (!text.empty()) {
    const auto end = std::min(text.find('\n'), text.size());
    std::string_view content = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++lineNumber;
    content = content.substr(0, content.find('#'));
    const auto tokens = Tokens(content);
    if (tokens.empty()) continue;

    const TableLine line(origin, lineNumber);
    if (tokens.size() != 3)
      line.Refuse("expected three hexadecimal numbers (offset, insertion value, removal value), found " +
                  std::to_string(tokens.size()));
    const auto offset = static_cast<std::uint16_t>(line.Number(tokens[0], 4, "offset"));
    const auto insertion = static_cast<std::uint8_t>(line.Number(tokens[1], 2, "insertion value"));
    const auto removal = static_cast<std::uint8_t>(line.Number(tokens[2], 2, "removal value"));
    if (!table.entries.empty() && offset <= table.entries.back().offset)
      line.Refuse("offset " + Hex(offset, 4) + " follows " + Hex(table.entries.back().offset, 4) +
                  ": entries must stand in ascending offset order, each offset once");
    const Slot* slot = layout.Find(offset);
    if (slot == nullptr) line.Refuse("the " + name + " patch does not write offset " + Hex(offset, 4));
    CheckValue(line, *slot, "insertion", insertion, slot->insertion, version);
    CheckValue(line, *slot, "removal", removal, slot->removal, version);
    table.entries.push_back({offset, insertion, removal});
  }
  // Every listed offset was one of the layout's, in order, so a shortfall means some are missing.
  if (table.entries.size() != layout.slots.size()) {
    std::size_t index = 0;
    while (index < table.entries.size() && table.entries[index].offset == layout.slots[index].offset) ++index;
    const Slot& missing = layout.slots[index];
    throw RuntimeError(ErrorNumber::InvalidFileFormat,
                       origin + ": the table has " + std::to_string(table.entries.size()) + " of the " +
                           std::to_string(layout.slots.size()) + " entries of the " + name + " patch; offset " +
                           Hex(missing.offset, 4) + " (" + std::string(missing.part) + ") is missing");
  }
  return table;
}

std::string FormatTable(const Table& table, const std::vector<std::string>& headerLines) {
  std::string text;
  for (const auto& line : headerLines) text += line.empty() ? "#\n" : "# " + line + "\n";
  text += "\n";
  for (const Entry& entry : table.entries)
    text += Hex(entry.offset, 4).substr(2) + " " + Hex(entry.insertion, 2).substr(2) + " " +
            Hex(entry.removal, 2).substr(2) + "\n";
  return text;
}

PatchState PatchStateOf(const Table& table, std::span<const std::uint8_t> image) {
  PatchState state{PatchState::Kind::Partial, 0, 0, table.entries.size()};
  for (const Entry& entry : table.entries) {
    if (entry.offset >= image.size()) continue;
    if (image[entry.offset] == entry.insertion) ++state.holdingInsertion;
    if (image[entry.offset] == entry.removal) ++state.holdingRemoval;
  }
  if (state.holdingInsertion == state.entries) state.kind = PatchState::Kind::Present;
  else if (state.holdingRemoval == state.entries) state.kind = PatchState::Kind::Absent;
  return state;
}

std::vector<Step8D> Steps8D(const Table& axxc, const Table& aujp, Operation operation) {
  std::map<std::uint16_t, std::uint8_t> axxcValues;
  std::map<std::uint16_t, std::uint8_t> aujpValues;
  for (const Entry& entry : axxc.entries) axxcValues[entry.offset] = entry.ValueFor(operation);
  for (const Entry& entry : aujp.entries) aujpValues[entry.offset] = entry.ValueFor(operation);
  const auto shared = [&](std::uint16_t offset) {
    const auto other = aujpValues.find(offset);
    return other != aujpValues.end() && other->second == axxcValues.at(offset);
  };

  std::vector<Step8D> steps;
  // Appends an offset's writes to the last step when that step is of the same kind.
  const auto add = [&](std::uint16_t offset, bool dependsOnBcc) {
    if (steps.empty() || steps.back().dependsOnBcc != dependsOnBcc) steps.push_back({dependsOnBcc, {}, {}});
    if (const auto value = axxcValues.find(offset); value != axxcValues.end())
      steps.back().axxc.push_back({offset, value->second});
    if (!dependsOnBcc) return;
    if (const auto value = aujpValues.find(offset); value != aujpValues.end())
      steps.back().aujp.push_back({offset, value->second});
  };

  std::map<std::uint16_t, bool> offsets;  // every offset of either table, and whether it is shared
  for (const auto& [offset, value] : axxcValues) offsets[offset] = shared(offset);
  for (const auto& [offset, value] : aujpValues) offsets.try_emplace(offset, false);
  if (operation == Operation::Insert) {
    for (const auto& [offset, isShared] : offsets) add(offset, !isShared);
  } else {
    for (const auto& [offset, isShared] : offsets)
      if (isShared) add(offset, false);
    for (const auto& [offset, isShared] : offsets)
      if (!isShared) add(offset, true);
  }
  return steps;
}

}  // namespace vantorix::wbpatch
