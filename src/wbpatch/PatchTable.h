#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bin/ImagePatch.h"

// The wideband patch as data: one table of byte writes per version, and the fixed
// layout every table of a version must have. A table that strays from its layout is
// refused before anything is written, because a wrong byte in a PROM image is an engine
// that runs badly.
namespace vantorix::wbpatch {

enum class Version { Axxc8D, Aujp8D, Mask6E };
inline constexpr Version kVersions[] = {Version::Axxc8D, Version::Aujp8D, Version::Mask6E};

// "8D/AXXC", "8D/AUJP", "6E"
std::string_view VersionName(Version version);
// The table's file name, the same for the built-in and the installed table: "8D-AXXC.txt", ...
std::string_view TableFileName(Version version);
// The version an image takes from its mask and broadcast-code texts; none for other masks.
// A $8D image whose code is neither AXXC nor AUJP has no version of its own.
std::optional<Version> VersionFor(std::string_view mask, std::string_view bcc);

using Operation = PatchDirection;

// A value a table holds for an offset; none where the table does not know it ("--" in
// the file). Unknown is allowed only where the published patch fixes no value.
using Value = std::optional<std::uint8_t>;

struct Entry {
  std::uint16_t offset;
  Value insertion;
  Value removal;
  Value ValueFor(Operation operation) const { return operation == Operation::Insert ? insertion : removal; }
  friend bool operator==(const Entry&, const Entry&) = default;
};

// A header comment line that starts with this marks a table whose values are not all
// the published patch's own: the program asks before it writes one.
inline constexpr std::string_view kStandInMarker = "STAND-IN TABLE";

// One version's entries in ascending offset order, each offset once, checked against the layout.
struct Table {
  Version version;
  std::vector<Entry> entries;
  std::string origin;    // the path of the installed file, or "built-in <file name>"
  bool builtIn = false;  // compiled into the program
  bool standIn = false;  // its header carries kStandInMarker
};

// How the messages name a table: "built-in stand-in", or the installed file's path
// (with " (stand-in)" when that file is one too).
std::string TableName(const Table& table);

// Reads a table in the data-file format and checks it against the version's layout.
// Refuses with Invalid file format (321) naming the origin, the line and what is wrong.
Table ParseTable(Version version, std::string_view text, const std::string& origin);

// The data-file text of a table: the stand-in marker when it is one, the comment lines
// given (without "#"), then one entry a line.
std::string FormatTable(const Table& table, const std::vector<std::string>& headerLines);

// Derives a version's table from a stock image and the same image with the published
// patch applied: each offset of the layout takes its insertion value from the patched
// image and its removal value from the stock one. Refuses (Invalid procedure call or
// argument, 5) images of different sizes or of the wrong mask or broadcast code, images
// that differ anywhere the patch does not write (the stored checksum aside), and values
// that disagree with the layout.
Table DeriveTable(Version version, std::span<const std::uint8_t> stock, std::span<const std::uint8_t> patched);

// How far an image holds a version's patch. Only entries whose patched and unpatched
// values the table knows, and that differ, tell the two apart; the counts are of them.
// Present: every patched value the table knows is in place. Absent: no part of the patch
// (fixed bytes, routine, text, signature, hook, ...) has all of its telling entries
// patched, so a blank image of 0x00 or 0xFF bytes reads absent. Partial: in between.
// An entry past the end of the image holds neither value.
struct PatchState {
  enum class Kind { Present, Absent, Partial } kind;
  std::size_t telling;
  std::size_t patched;
  std::size_t unpatched;
};
PatchState PatchStateOf(const Table& table, std::span<const std::uint8_t> image);
// "present", "absent" or "partial".
std::string_view PatchStateName(const PatchState& state);
// The state with its counts, as both programs show it: "partial (8D/AXXC: of the 39
// entries that tell patched from unpatched, 20 patched, 19 unpatched)".
std::string PatchStateText(Version version, const PatchState& state);

struct Write {
  std::uint16_t offset;
  std::uint8_t value;
};

// What an operation does with the tables it uses: the values they all know alike, in the
// order they are written, and the offsets whose value none of them knows (ascending),
// which it leaves as they are. The writes go in ascending offset order, except that a
// $8D removal writes the offsets both codes share first, then the code's own four. One
// table gives all of its entries; both $8D tables together (for a $8D image of neither
// code) give only the offsets where they agree. Insertion refuses
// (Invalid file format, 321) a table that does not know every patched value, since the
// hook would lead into an incomplete routine.
struct PatchWrites {
  std::vector<Write> writes;
  std::vector<std::uint16_t> unknown;
};
PatchWrites WritesOf(std::span<const Table> tables, Operation operation);

}  // namespace vantorix::wbpatch
