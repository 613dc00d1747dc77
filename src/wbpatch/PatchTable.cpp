#include "wbpatch/PatchTable.h"

#include <algorithm>
#include <map>

#include "bin/BroadcastCode.h"
#include "foundation/RuntimeError.h"
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

std::string TableName(const Table& table) {
  if (table.builtIn) return table.standIn ? "built-in stand-in" : "built-in";
  return table.origin + (table.standIn ? " (stand-in)" : "");
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
      if (digit >= '0' && digit <= '9')
        value = value * 16 + static_cast<unsigned>(digit - '0');
      else if (lower >= 'a' && lower <= 'f')
        value = value * 16 + static_cast<unsigned>(lower - 'a' + 10);
      else
        Refuse(std::string(what) + " " + std::string(token) + " is not a hexadecimal number");
    }
    return value;
  }

  Value ByteValue(std::string_view token, std::string_view what) const {
    if (token == "--") return std::nullopt;
    return static_cast<std::uint8_t>(Number(token, 2, what));
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

void CheckValue(const TableLine& line, const Slot& slot, std::string_view which, Value value, const ByteRule& rule,
                Version version) {
  if (rule.Allows(value)) return;
  line.Refuse(std::string(which) + " value " + ValueText(value) + " at " + Hex(slot.offset, 4) + " (" +
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
    const auto comment = std::min(content.find('#'), content.size());
    // Only the header, the comments before the first entry, can mark a stand-in.
    if (table.entries.empty() && comment < content.size()) {
      const std::string_view words = content.substr(comment + 1);
      table.standIn |=
          words.substr(std::min(words.find_first_not_of(kBlanks), words.size())).starts_with(kStandInMarker);
    }
    content = content.substr(0, comment);
    const auto tokens = Tokens(content);
    if (tokens.empty()) continue;

    const TableLine line(origin, lineNumber);
    if (tokens.size() != 3)
      line.Refuse("expected three hexadecimal numbers (offset, insertion value, removal value), found " +
                  std::to_string(tokens.size()));
    const auto offset = static_cast<std::uint16_t>(line.Number(tokens[0], 4, "offset"));
    const Value insertion = line.ByteValue(tokens[1], "insertion value");
    const Value removal = line.ByteValue(tokens[2], "removal value");
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
  if (const auto fill = layout.RepeatedRemoval(table.entries))
    throw RuntimeError(ErrorNumber::InvalidFileFormat, origin + ": every known removal value at " +
                                                           VariedRange(layout) + " is " + Hex(*fill, 2) +
                                                           ", where an unpatched " + name +
                                                           " image holds varied bytes; write -- for a value "
                                                           "that is not known");
  return table;
}

std::string FormatTable(const Table& table, const std::vector<std::string>& headerLines) {
  const auto value = [](Value byte) { return byte ? Hex(*byte, 2).substr(2) : "--"; };
  std::string text = table.standIn ? "# " + std::string(kStandInMarker) + "\n" : "";
  for (const auto& line : headerLines) text += line.empty() ? "#\n" : "# " + line + "\n";
  text += "\n";
  for (const Entry& entry : table.entries)
    text += Hex(entry.offset, 4).substr(2) + " " + value(entry.insertion) + " " + value(entry.removal) + "\n";
  return text;
}

PatchState PatchStateOf(const Table& table, std::span<const std::uint8_t> image) {
  const Layout& layout = LayoutOf(table.version);
  PatchState state{PatchState::Kind::Partial, 0, 0, 0};
  bool everyPatchedValue = true;
  std::map<std::string_view, bool> partPatched;  // parts with telling entries: all of them patched so far?
  for (const Entry& entry : table.entries) {
    const int held = entry.offset < image.size() ? image[entry.offset] : -1;  // past the end: neither value
    const auto holds = [held](Value value) { return value && *value == held; };
    if (entry.insertion && !holds(entry.insertion)) everyPatchedValue = false;
    if (!entry.insertion || !entry.removal || entry.insertion == entry.removal) continue;
    ++state.telling;
    state.patched += holds(entry.insertion) ? 1U : 0U;
    state.unpatched += holds(entry.removal) ? 1U : 0U;
    const auto part = partPatched.try_emplace(layout.Find(entry.offset)->part, true).first;
    part->second = part->second && holds(entry.insertion);
  }
  if (everyPatchedValue)
    state.kind = PatchState::Kind::Present;
  else if (std::ranges::none_of(partPatched, [](const auto& part) { return part.second; }))
    state.kind = PatchState::Kind::Absent;
  return state;
}

PatchWrites WritesOf(std::span<const Table> tables, Operation operation) {
  PatchWrites result;
  for (const Entry& entry : tables.front().entries) {
    const Value value = entry.ValueFor(operation);
    const auto agrees = [&](const Table& other) {
      const auto found = std::ranges::find(other.entries, entry.offset, &Entry::offset);
      return found != other.entries.end() && found->ValueFor(operation) == value;
    };
    if (!std::ranges::all_of(tables.subspan(1), agrees)) continue;
    if (value)
      result.writes.push_back({entry.offset, *value});
    else
      result.unknown.push_back(entry.offset);
  }
  if (operation == Operation::Insert && !result.unknown.empty())
    throw RuntimeError(ErrorNumber::InvalidFileFormat,
                       tables.front().origin + ": the patched values at " + OffsetRanges(result.unknown) +
                           " are not known; without them the hook would lead into an incomplete routine");
  // A $8D removal has always put back the entries both codes share first and the code's
  // own four (its signature byte, then its hook) last. Each offset is written once, so
  // the bytes come out the same in any order.
  if (operation == Operation::Remove && LayoutOf(tables.front().version).mask == 0x8D)
    std::stable_partition(result.writes.begin(), result.writes.end(), [](const Write& write) {
      return LayoutOf(Version::Axxc8D).Find(write.offset) != nullptr &&
             LayoutOf(Version::Aujp8D).Find(write.offset) != nullptr;
    });
  return result;
}

std::string_view PatchStateName(const PatchState& state) {
  using Kind = PatchState::Kind;
  return state.kind == Kind::Present ? "present" : state.kind == Kind::Absent ? "absent" : "partial";
}

std::string PatchStateText(Version version, const PatchState& state) {
  return std::string(PatchStateName(state)) + " (" + std::string(VersionName(version)) + ": of the " +
         std::to_string(state.telling) + " entries that tell patched from unpatched, " + std::to_string(state.patched) +
         " patched, " + std::to_string(state.unpatched) + " unpatched)";
}

}  // namespace vantorix::wbpatch
