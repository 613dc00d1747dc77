// The wideband patch as data (the shipped tables, the table reader, the patch state, the
// writes of an operation, the derivation of a table from two images) and on an image (the
// whole image after each operation, refusals, and the tables a user installs).
#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <map>

#include "ImageFixture.h"
#include "PatchFacts.h"
#include "wbpatch/EmbeddedTables.h"
#include "wbpatch/PatchLayout.h"

namespace vantorix::test {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using wbpatch::Operation;
using wbpatch::Table;
using wbpatch::Version;

Table BuiltIn(Version version) { return wbpatch::BuiltInTables().Load(version); }
std::string Shipped(Version v) { return std::string(wbpatch::EmbeddedTableText(wbpatch::TableFileName(v))); }

struct Malformation {
  const char* what;
  Version version;
  const char* text;         // of the shipped table: whole lines, or the end of lines
  const char* replacement;  // what takes its place: once, or everywhere when the fault has no line
  int faultyLine;           // the line at fault, counted from the first replaced one; -1: none
  const char* complaint;
};

// clang-format off
const Malformation kMalformations[] = {
    {"fixed insertion", Version::Axxc8D, "2004 FC 00", "2004 DC 00", 0, "insertion value 0xDC at 0x2004 (routine): the 8D/AXXC patch has 0xFC there"},
    {"fixed removal", Version::Axxc8D, "0929 00 30", "0929 00 31", 0, "removal value 0x31 at 0x0929 (fixed bytes): the 8D/AXXC patch has 0x30"},
    {"fixed removal unknown", Version::Aujp8D, "2009 00 00", "2009 00 --", 0, "removal value -- at 0x2009 (routine): the 8D/AUJP patch has 0x00"},
    {"zero run unknown", Version::Mask6E, "3DDE 00 --", "3DDE -- --", 0, "insertion value -- at 0x3DDE (zero run)"},
    {"text not printable", Version::Axxc8D, "2070 53 00", "2070 07 00", 0, "a printable ASCII character there"},
    {"offset never written", Version::Axxc8D, "2000 86 00", "2000 86 00\n2001 00 00", 1, "the 8D/AXXC patch does not write offset 0x2001"},
    {"offset between", Version::Mask6E, "06CE 4B D6", "06CD 00 00\n06CE 4B D6", 0, "does not write offset 0x06CD"},
    {"descending or twice", Version::Axxc8D, "2002 20 00\n2003 01 00", "2003 01 00\n2002 20 00", 1, "offset 0x2002 follows 0x2003: entries must stand in ascending"},
    {"two fields", Version::Axxc8D, "2002 20 00", "2002 20", 0, "expected three hexadecimal numbers"},
    {"not hexadecimal", Version::Axxc8D, "2002 20 00", "2002 2G 00", 0, "insertion value 2G is not a hexadecimal number"},
    {"value too long", Version::Axxc8D, "2002 20 00", "2002 20 100", 0, "removal value 100 has more than 2"},
    {"missing entry", Version::Axxc8D, "2005 CE 00\n", "", -1, "has 125 of the 126 entries of the 8D/AXXC patch; offset 0x2005 (routine) is missing"},
    {"no entries", Version::Mask6E, "\n", "\r#", -1, "has 0 of the 524 entries of the 6E patch; offset 0x06CC (fixed bytes) is missing"},
    {"area filled", Version::Mask6E, " --\n", " 0F\n", -1, "every known removal value at 0x3D7C-0x3F7F is 0x0F, where an unpatched 6E image holds varied"},
};
// clang-format on

TEST(PatchTableReader, RefusesEveryKindOfMalformedTableNamingTheLine) {
  for (const auto& bad : kMalformations) {
    SCOPED_TRACE(bad.what);
    std::string text = Shipped(bad.version);
    const auto at = text.find(bad.text);
    ASSERT_NE(at, std::string::npos);
    for (auto next = at; next != std::string::npos;
         next = bad.faultyLine < 0 ? text.find(bad.text, next) : std::string::npos)
      text.replace(next, std::strlen(bad.text), bad.replacement);
    const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
    const std::string place = bad.faultyLine < 0 ? ": " : " line " + std::to_string(line + bad.faultyLine) + ": ";
    EXPECT_THAT(ErrorTextOf([&] { wbpatch::ParseTable(bad.version, text, "t.txt"); }),
                AllOf(StartsWith("321 Invalid file format (t.txt" + place), HasSubstr(bad.complaint)));
  }
}

// Unknown values and the stand-in marker survive; so do line ends, tabs, case, comments
// and numbers without their leading zeros ("3D7C 5 FF", "929 0 30").
TEST(PatchTableReader, ReadsBackWhatItWritesWhateverTheLineEndsAndComments) {
  for (const Version version : wbpatch::kVersions) {
    SCOPED_TRACE(wbpatch::VersionName(version));
    Table table = BuiltIn(version);
    if (version == Version::Mask6E) table.entries.back().removal = 0xFF;  // one known value of the area fills nothing
    const std::string text = wbpatch::FormatTable(table, {"made by a test", ""});
    EXPECT_THAT(text, StartsWith("# STAND-IN TABLE\n# made by a test\n#\n\n"));
    std::string loose;
    for (std::size_t k = 0; k < text.size(); ++k) {
      const char c = text[k];
      if (c == '0' && (k == 0 || text[k - 1] == '\n' || text[k - 1] == ' ') && std::isxdigit(text[k + 1])) continue;
      loose += c == '\n' ? std::string(" # note\r\n") : std::string(1, c == ' ' ? '\t' : static_cast<char>(c | 0x20));
    }
    for (const std::string& written : {text, loose}) {
      const Table read = wbpatch::ParseTable(version, written, "t");
      EXPECT_THAT(read.entries, ElementsAreArray(table.entries));
      EXPECT_EQ(read.standIn, written == text);  // the marker is upper case
    }
  }
}

// Against the stand-ins, 39 entries of a $8D table tell patched from unpatched, and the 8
// fixed ones of the $6E table (its area's unpatched values are unknown).
TEST(PatchState, CountsOnlyEntriesThatTellPatchedFromUnpatched) {
  const std::map<Version, std::string> expected{
      {Version::Axxc8D, "absent 39 0 39, present 39 39 0, partial 39 38 0, absent 39 3 33, absent 39 0 0, "},
      {Version::Mask6E, "absent 8 0 8, present 8 8 0, partial 8 8 0, absent 8 1 0, absent 8 0 0, "}};
  for (const auto& [version, states] : expected) {
    SCOPED_TRACE(wbpatch::VersionName(version));
    const Table table = BuiltIn(version);
    const Bytes stock = Applied(TestImage().Bytes(), table, Operation::Remove);
    // $8D: a hook byte off; $6E: a byte of the area off, which only the present test sees.
    Bytes partly = Applied(stock, table, Operation::Insert);
    partly[version == Version::Mask6E ? 0x3F00 : 0x4C9C] ^= 0x01;
    std::string seen;
    for (const Bytes& image :
         {stock, Applied(stock, table, Operation::Insert), partly, Bytes(32768), Bytes(32768, 0xFF)}) {
      const auto s = wbpatch::PatchStateOf(table, image);
      seen += std::string(wbpatch::PatchStateName(s)) + " " + std::to_string(s.telling) + " " +
              std::to_string(s.patched) + " " + std::to_string(s.unpatched) + ", ";
    }
    EXPECT_EQ(seen, states);
  }
}

std::string WrittenOffsets(std::span<const Table> tables, Operation operation) {
  std::vector<std::uint16_t> offsets;
  for (const auto& write : wbpatch::WritesOf(tables, operation).writes) offsets.push_back(write.offset);
  return std::to_string(offsets.size()) + ": " + wbpatch::OffsetRanges(offsets);
}

// A $8D image of neither code gets what both codes write alike: all but their own bytes.
// A code's removal writes those shared bytes first, then its own four; insertion ascends.
TEST(PatchWrites, BothCodesShareAllButTheirOwnBytesAndInsertionNeedsEveryValue) {
  const Table both[] = {BuiltIn(Version::Axxc8D), BuiltIn(Version::Aujp8D)};
  Table gaps = BuiltIn(Version::Mask6E);  // two patched values of the area not known
  gaps.entries[9].insertion.reset(), gaps.entries[10].insertion.reset();
  const std::string shared = "0x0929-0x092C, 0x2000, 0x2002-0x2013, 0x2015-0x203C, 0x203E-0x2061, 0x2070-0x207D, ";
  // clang-format off
  EXPECT_EQ(WrittenOffsets(both, Operation::Insert), "111: 0x0929-0x092C, 0x2000, 0x2002-0x2003, 0x2005-0x2013, 0x2015-0x202C, 0x202E-0x203C, 0x203E-0x2061, 0x2070-0x207D");
  EXPECT_EQ(WrittenOffsets(both, Operation::Remove),          "122: " + shared + "0x2082-0x208A");
  EXPECT_EQ(WrittenOffsets({&both[0], 1}, Operation::Remove), "126: " + shared + "0x2082-0x208A, 0x2081, 0x4C9C-0x4C9E");
  EXPECT_EQ(WrittenOffsets({&both[0], 1}, Operation::Insert), "126: " + shared + "0x2081-0x208A, 0x4C9C-0x4C9E");
  EXPECT_EQ(WrittenOffsets({&both[1], 1}, Operation::Remove), "126: " + shared + "0x2082-0x208B, 0x4C90-0x4C92");
  EXPECT_EQ(WrittenOffsets({&gaps, 1}, Operation::Remove),    "8: 0x06CC, 0x06CE, 0x076B, 0x07D9-0x07DA, 0x0E6C-0x0E6E");
  EXPECT_THAT(ErrorTextOf([&] { wbpatch::WritesOf({&gaps, 1}, Operation::Insert); }), HasSubstr("321 Invalid file format (built-in 6E.txt: the patched values at 0x3D7D-0x3D7E are not known"));
  // clang-format on
}

struct Pair {
  Bytes stock, patched;
};

Pair MadePair(Version v) { return {StockImage(v).CorrectChecksum().Bytes(), TestPatched(v).CorrectChecksum().Bytes()}; }

struct Inconsistency {
  const char* what;
  Version version;
  void (*spoil)(Pair&);
  const char* complaint;  // none: the pair is consistent
};

// clang-format off
const Inconsistency kInconsistencies[] = {
    {"consistent 8D/AXXC", Version::Axxc8D, [](Pair&) {}, nullptr},
    {"consistent 6E", Version::Mask6E, [](Pair&) {}, nullptr},
    {"differences outside", Version::Mask6E, [](Pair& p) { p.patched[0x06CD] ^= 1, p.patched[0x7000] ^= 1; }, "the images differ at 0x06CD and 1 more offsets, where the patch writes nothing"},
    {"offset left alone", Version::Aujp8D, [](Pair& p) { p.stock[0x2081] = p.patched[0x2081] = 0x05; }, "the patched image holds 0x05 at 0x2081, which the patch leaves at 0x00"},
    {"fixed insertion", Version::Axxc8D, [](Pair& p) { p.patched[0x2004] = 0xDC; }, "the patched image holds 0xDC at 0x2004 (routine), where the patch has 0xFC"},
    {"fixed removal", Version::Aujp8D, [](Pair& p) { p.stock[0x4C91] = 0xA0; }, "the stock image holds 0xA0 at 0x4C91 (hook), where an unpatched image has 0x00"},
    {"sizes", Version::Mask6E, [](Pair& p) { p.patched.resize(16384); }, "the stock image has 32768 bytes, the patched image 16384"},
    {"too short", Version::Axxc8D, [](Pair& p) { p.stock.resize(0x7100), p.patched.resize(0x7100); }, "the images have 28928 bytes, too few to hold offset 0x71C3"},
    {"patched mask", Version::Mask6E, [](Pair& p) { p.patched[8] = 0x8D; }, "the patched image has mask $8D; this patch is for $6E images"},
    {"code", Version::Aujp8D, [](Pair& p) { p.stock[0x717C] = p.patched[0x717C] = 0x59; }, "the images are of broadcast code AXXC"},
    {"wrong mask", Version::Axxc8D, [](Pair& p) { p = MadePair(Version::Mask6E); }, "the stock image has mask $6E; this patch is for $8D images"},
    {"stock area filled", Version::Mask6E, [](Pair& p) { std::fill(&p.stock[0x3D7C], &p.stock[0x3F80], 0x0F); }, "the stock image holds 0x0F at every offset of 0x3D7C-0x3F7F, where"},
};
// clang-format on

// From a consistent pair, a table that turns either image into the other (but for the
// stored checksum, which differs as in any two images that differ); else a refusal.
TEST(PatchDerivation, TakesTheTableFromAConsistentPairAndRefusesEveryInconsistency) {
  const auto withoutChecksum = [](Bytes image) { return image[6] = image[7] = 0, image; };
  for (const auto& bad : kInconsistencies) {
    SCOPED_TRACE(bad.what);
    Pair pair = MadePair(bad.version);
    bad.spoil(pair);
    const auto derive = [&] { return wbpatch::DeriveTable(bad.version, pair.stock, pair.patched); };
    if (bad.complaint) {
      EXPECT_THAT(ErrorTextOf(derive), AllOf(StartsWith("5 Invalid procedure call or argument (cannot derive the " +
                                                        std::string(wbpatch::VersionName(bad.version)) + " table: "),
                                             HasSubstr(bad.complaint)));
      continue;
    }
    const Table table = derive();
    EXPECT_EQ(withoutChecksum(Applied(pair.stock, table, Operation::Insert)), withoutChecksum(pair.patched));
    EXPECT_EQ(withoutChecksum(Applied(pair.patched, table, Operation::Remove)), withoutChecksum(pair.stock));
  }
}

class WbPatch : public ImageFixture {};

// A stock image (varied bytes, the unpatched values the layout fixes) comes out of Remove
// as it was; Add writes the version's values, twice as once; Remove then gives back the
// stock image, except where the unpatched value is unknown: there what Add wrote stays.
// Each asks first, and a No writes nothing.
TEST_F(WbPatch, EachOperationWritesExactlyItsVersionsKnownValuesAndLeavesTheRest) {
  const std::string left =
      "log: 516 bytes at 0x3D7C-0x3F7F were left as they are: their unpatched values are not "
      "in the installed table.";
  // 16 KB passes the size rule; its code reads as AUJP, whose hook lies past the end: three
  // writes of each operation are refused.
  const std::pair<Version, std::size_t> cases[] = {
      {Version::Axxc8D, 32768}, {Version::Aujp8D, 32768}, {Version::Mask6E, 32768}, {Version::Aujp8D, 16384}};
  for (const auto& [version, size] : cases) {
    SCOPED_TRACE(std::string(wbpatch::VersionName(version)) + " " + std::to_string(size));
    const Table table = builtInTables.Load(version);
    const TestImage stock = StockImage(version, size).StoredChecksum(0x1234);
    const Bytes inserted = Applied(stock.Bytes(), table, Operation::Insert),
                removed = Applied(inserted, table, Operation::Remove);
    // Neither the broadcast code nor the stored checksum follows the new bytes before a save.
    Members members = Members::Of(Opened(stock));
    members.changed = true;
    std::vector<std::string> trace;
    const auto yes = MsgBoxResult::Yes;
    for (const auto& [operation, answer, expected] : {std::tuple{Operation::Remove, yes, stock.Bytes()},
                                                      {Operation::Insert, yes, inserted},
                                                      {Operation::Insert, yes, inserted},
                                                      {Operation::Remove, yes, removed},
                                                      {Operation::Insert, MsgBoxResult::No, removed}}) {
      shell.Answer(answer);
      EXPECT_EQ(operation == Operation::Insert ? bin->AddWBHackToBIN() : bin->RemoveWBHackFromBIN(), answer == yes);
      EXPECT_EQ(bin->WBTableUsed(), answer == yes ? "built-in stand-in" : "");  // the last one wrote nothing
      EXPECT_THAT(bin->Bytes(), ElementsAreArray(expected));
      trace.push_back("box YesNoExclamation Stand-in Patch Table: The " + std::string(wbpatch::VersionName(version)) +
                      " wideband patch table (built-in stand-in) is a stand-in, not the published patch.");
      if (answer == yes && size < 32768)
        trace.insert(trace.end(), 3, "box Critical BIN File Error: Error in clsBINFile.WriteToBin");
      if (answer == yes && operation == Operation::Remove && version == Version::Mask6E) trace.push_back(left);
    }
    EXPECT_EQ(shell.Outline(), trace);
    EXPECT_EQ(Members::Of(*bin), members);
  }
}

// An image object whose tables come from a folder of installed tables.
class InstalledPatchTables : public ImageFixture {
 protected:
  wbpatch::TableSource& tables() override { return installed; }
  std::filesystem::path WriteFile(const std::string& name, const std::string& text) const {
    std::ofstream(dir.Path() / name, std::ios::binary) << text;
    return dir.Path() / name;
  }

  std::filesystem::path folder = dir.Path() / "data" / "Vantorix" / "wbpatch";
  wbpatch::InstalledTables installed{folder};
};

// Each installed table takes the place of the built-in one for its own version only; a
// derived table is no stand-in and goes in without a question; a broken one stops only
// the images that use it, before any write; installing a broken one keeps the one in place.
TEST_F(InstalledPatchTables, TakeTheBuiltInTablesPlaceForTheirVersionOnly) {
  // The user's tables live where the XDG rules put data.
  EXPECT_EQ(wbpatch::UserTableFolder("/x/data", "/home/u"), "/x/data/Vantorix/wbpatch");
  for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative"})
    EXPECT_EQ(wbpatch::UserTableFolder(ignored, "/home/u"), "/home/u/.local/share/Vantorix/wbpatch");
  EXPECT_EQ(ErrorTextOf([] { wbpatch::UserTableFolder(nullptr, ""); }).substr(0, 3), "76 ");
  const TestImage stock = StockImage(Version::Aujp8D);
  const wbpatch::Table derived =
      wbpatch::DeriveTable(Version::Aujp8D, stock.Bytes(), TestPatched(Version::Aujp8D).Bytes());
  const auto aujp =
      wbpatch::InstallTable(Version::Aujp8D, WriteFile("t.txt", wbpatch::FormatTable(derived, {})), folder).path;
  // A file of 1 MiB is read for its lines; one byte more is no table, whatever it holds.
  const auto bad = WriteFile("b.txt", "2002 20" + std::string((1U << 20U) - 8U, ' ') + "\n");
  EXPECT_THAT(ErrorTextOf([&] { wbpatch::InstallTable(Version::Aujp8D, bad, folder); }),
              StartsWith("321 Invalid file format (" + bad.string() + " line 1: expected three"));
  EXPECT_EQ(ReadFile(aujp), ReadFile(dir.Path() / "t.txt"));
  WriteFile("data/Vantorix/wbpatch/8D-AXXC.txt", std::string((1U << 20U) + 1U, '#'));
  std::filesystem::create_directory(folder / "6E.txt");

  // Masks without a patch get nothing, and nothing is said, whatever tables are installed.
  const std::tuple<TestImage, bool, std::string> rows[] = {
      // image, patched, what each box names (no box without)
      {stock, true, ""},
      {TestImage(32768, 0x8D).Axxc(), false, "8D-AXXC.txt has 1048577 bytes, too many for a patch table"},
      {TestImage(32768, 0x6E), false, "6E.txt is not a regular file"},
      {TestImage(32768, 0x32).Axxc(), false, ""},
      {TestImage(32768, 0xAA).Axxc(), false, ""}};
  for (const auto& [before, patched, complaint] : rows) {
    SCOPED_TRACE(complaint + std::to_string(before.At(TestImage::kMaskOffset)));
    clsBINFile& image = Opened(before);
    // Added, removed where nothing was added, changed, and the table used.
    const bool added = image.AddWBHackToBIN(), removed = !patched && image.RemoveWBHackFromBIN();
    EXPECT_EQ(std::to_string(added) + std::to_string(removed) + std::to_string(image.Changed()) + image.WBTableUsed(),
              patched ? "101" + aujp.string() : "000");
    EXPECT_THAT(image.Bytes(), ElementsAreArray(patched ? TestPatched(Version::Aujp8D).Bytes() : before.Bytes()));
    EXPECT_THAT(shell.Trace(), ::testing::Each(AllOf(HasSubstr("Error Number: 321"), HasSubstr(complaint))));
    EXPECT_EQ(shell.Trace().empty(), complaint.empty());  // no question
  }
  // A link to a table on a drive that is not there is a broken table, not a missing one.
  std::filesystem::remove(folder / "6E.txt");
  std::filesystem::create_symlink(dir.Path() / "unmounted" / "6E.txt", folder / "6E.txt");
  EXPECT_FALSE(Opened(TestImage(32768, 0x6E)).AddWBHackToBIN());
  EXPECT_THAT(shell.Boxes().at(0).text, HasSubstr("Error Number: 53\r\nError Description: File not found (" +
                                                  (folder / "6E.txt").string() + " is an installed table"));
  EXPECT_TRUE(wbpatch::UninstallTable(Version::Aujp8D, folder));
  EXPECT_FALSE(wbpatch::UninstallTable(Version::Aujp8D, folder));
  EXPECT_EQ(installed.Load(Version::Aujp8D).origin, "built-in 8D-AUJP.txt");
}

}  // namespace
}  // namespace vantorix::test
