#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

enum class Operation { Insert, Remove };

struct Entry {
  std::uint16_t offset;
  std::uint8_t insertion;
  std::uint8_t removal;
  std::uint8_t ValueFor(Operation operation) const { return operation == Operation::Insert ? insertion : removal; }
  friend bool operator==(const Entry&, const Entry&) = default;
};

// One version's entries in ascending offset order, each offset once, checked against the layout.
struct Table {
  Version version;
  std::vector<Entry> entries;
  std::string origin;  // "built-in" or the path of the installed file
};

// Reads a table in the data-file format and checks it against the version's layout.
// Refuses with Invalid file format (321) naming the origin, the line and what is wrong.
Table ParseTable(Version version, std::string_view text, const std::string& origin);

// The data-file text of a table: the comment lines given (without "#"), then one entry a line.
std::string FormatTable(const Table& table, const std::vector<std::string>& headerLines);

// Derives a version's table from a stock image and the same image with the published
// patch applied: each offset of the layout takes its insertion value from the patched
// image and its removal value from the stock one. Refuses (Invalid procedure call or
// argument, 5) images of different sizes or of the wrong mask or broadcast code, images
// that differ anywhere the patch does not write (the stored checksum aside), and values
// that disagree with the layout.
Table DeriveTable(Version version, std::span<const std::uint8_t> stock, std::span<const std::uint8_t> patched);

// Whether an image holds a version's patch: present when every entry holds its
// insertion value, absent when every entry holds its removal value, partial otherwise.
// An entry past the end of the image holds neither.
struct PatchState {
  enum class Kind { Present, Absent, Partial } kind;
  std::size_t holdingInsertion;
  std::size_t holdingRemoval;
  std::size_t entries;
};
PatchState PatchStateOf(const Table& table, std::span<const std::uint8_t> image);

// The writes of a $8D operation, built from the two $8D tables. Entries that both tables
// write alike form shared steps; the others form steps that depend on the broadcast
// code, whose writes the operation picks by the code it reads at that step. Insertion
// runs in ascending offset order with a code-dependent step wherever the codes differ
// (0x2004, 0x202D, then the signature and hook); removal writes every shared entry
// first and then the code's own entries.
struct Write {
  std::uint16_t offset;
  std::uint8_t value;
};
struct Step8D {
  bool dependsOnBcc;
  std::vector<Write> axxc;  // the writes of a shared step
  std::vector<Write> aujp;  // empty for a shared step
};
std::vector<Step8D> Steps8D(const Table& axxc, const Table& aujp, Operation operation);

}  // namespace vantorix::wbpatch
