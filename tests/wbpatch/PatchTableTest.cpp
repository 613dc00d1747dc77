#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "PatchFacts.h"
#include "wbpatch/EmbeddedTables.h"
#include "wbpatch/PatchLayout.h"
#include "wbpatch/TableSource.h"

namespace vantorix::test {
namespace {

using ::testing::AllOf;
using ::testing::Each;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using wbpatch::Entry;
using wbpatch::Table;
using wbpatch::Version;

Table BuiltIn(Version version) { return wbpatch::BuiltInTables().Load(version); }

std::vector<std::uint8_t> InsertionValues(const Table& table, std::uint16_t first, std::size_t count) {
  std::vector<std::uint8_t> values;
  for (const Entry& entry : table.entries)
    if (entry.offset >= first && entry.offset < first + count) values.push_back(entry.insertion);
  return values;
}

TEST(ShippedPatchTables, ListExactlyTheirVersionsOffsetsAndFixedValues) {
  EXPECT_EQ(FactsOf(Version::Axxc8D).size(), 126U);
  EXPECT_EQ(FactsOf(Version::Aujp8D).size(), 126U);
  EXPECT_EQ(FactsOf(Version::Mask6E).size(), 524U);
  for (const Version version : wbpatch::kVersions) {
    const Table table = BuiltIn(version);
    const auto facts = FactsOf(version);
    ASSERT_EQ(table.entries.size(), facts.size()) << wbpatch::VersionName(version);
    for (std::size_t i = 0; i < facts.size(); ++i) {
      const Entry& entry = table.entries[i];
      SCOPED_TRACE(wbpatch::Hex(facts[i].offset, 4));
      EXPECT_EQ(entry.offset, facts[i].offset);
      EXPECT_TRUE(facts[i].insertion == kFree || entry.insertion == facts[i].insertion) << int{entry.insertion};
      EXPECT_TRUE(facts[i].removal == kFree || entry.removal == facts[i].removal) << int{entry.removal};
    }
  }
}

TEST(ShippedPatchTables, AreStandInsThatSayWhatTheyAre) {
  const Table axxc = BuiltIn(Version::Axxc8D);
  const Table aujp = BuiltIn(Version::Aujp8D);
  const Table mask6E = BuiltIn(Version::Mask6E);
  for (const Version version : wbpatch::kVersions)
    EXPECT_THAT(std::string(wbpatch::EmbeddedTableText(wbpatch::TableFileName(version))),
                HasSubstr("Source: stand-ins written for Vantorix, not the published patch."));

  // Text, signature and table are the same in every version, as in the published patch.
  const auto text = InsertionValues(axxc, 0x2070, 14);
  EXPECT_EQ(std::string(text.begin(), text.end()), "STAND-IN PATCH");
  EXPECT_EQ(InsertionValues(aujp, 0x2070, 14), text);
  EXPECT_EQ(InsertionValues(mask6E, 0x3DE1, 14), text);
  const auto signature = InsertionValues(axxc, 0x2081, 10);
  EXPECT_EQ(InsertionValues(aujp, 0x2082, 10), signature);
  EXPECT_EQ(InsertionValues(mask6E, 0x3DF2, 10), signature);
  EXPECT_THAT(InsertionValues(axxc, 0x2040, 34), Each(0x00));
  EXPECT_EQ(InsertionValues(aujp, 0x2040, 34), InsertionValues(axxc, 0x2040, 34));
  EXPECT_EQ(InsertionValues(mask6E, 0x3DBC, 34), InsertionValues(axxc, 0x2040, 34));

  // The two $8D versions share 111 identical entries.
  EXPECT_EQ(std::ranges::count_if(axxc.entries, [&](const Entry& e) { return std::ranges::count(aujp.entries, e); }),
            111);
  // Removal from a $6E image writes 0xFF over the whole area in place of the unknown stock bytes.
  for (const Entry& entry : mask6E.entries)
    EXPECT_TRUE(entry.offset < 0x3D7C || entry.removal == 0xFF) << wbpatch::Hex(entry.offset, 4);
}

// Follows a stand-in routine through the instructions allowed before the replaced one
// (an immediate load of A and forward branches) and returns the next four bytes.
std::vector<std::uint8_t> AfterPrelude(const Table& table, int pc) {
  std::map<int, std::uint8_t> image;  // offsets the patch leaves alone hold 0x00 once patched
  for (const Entry& entry : table.entries) image[entry.offset] = entry.insertion;
  for (int steps = 0; steps < 8; ++steps) {
    if (image[pc] == 0x86) pc += 2;                                          // LDAA #imm
    else if (image[pc] == 0x20) pc += 2 + static_cast<std::int8_t>(image[pc + 1]);  // BRA rel
  }
  return {image[pc], image[pc + 1], image[pc + 2], image[pc + 3]};
}

TEST(ShippedPatchTables, EachStandInRoutineDoesWhatItsHookReplacedAndReturns) {
  const std::vector<std::uint8_t> rts8D{0xCE, 0x00, 0xE2, 0x39};  // LDX #$00E2; RTS
  EXPECT_EQ(AfterPrelude(BuiltIn(Version::Axxc8D), 0x2000), rts8D);
  EXPECT_EQ(AfterPrelude(BuiltIn(Version::Aujp8D), 0x2000), rts8D);
  EXPECT_EQ(AfterPrelude(BuiltIn(Version::Mask6E), 0x3D7C), (std::vector<std::uint8_t>{0xCE, 0xC0, 0x2D, 0x39}));
}

struct Malformation {
  const char* what;
  Version version;
  const char* line;         // a line of the shipped table, or text right after a newline
  const char* replacement;  // what takes its place
  int faultyLine;           // the line at fault, counted from the first replaced one
  const char* complaint;
};

const Malformation kMalformations[] = {
    {"fixed insertion value", Version::Axxc8D, "2004 FC 00", "2004 DC 00", 0,
     "insertion value 0xDC at 0x2004 (routine): the 8D/AXXC patch has 0xFC there"},
    {"fixed removal value", Version::Axxc8D, "0929 00 30", "0929 00 31", 0,
     "removal value 0x31 at 0x0929 (fixed bytes): the 8D/AXXC patch has 0x30 there"},
    {"removal in the zeroed area", Version::Aujp8D, "2009 00 00", "2009 00 01", 0, "removal value 0x01 at 0x2009"},
    {"text not printable", Version::Axxc8D, "2070 53 00", "2070 07 00", 0, "a printable ASCII character there"},
    {"zero run", Version::Mask6E, "3DDE 00 FF", "3DDE 01 FF", 0, "insertion value 0x01 at 0x3DDE (zero run)"},
    {"offset never written", Version::Axxc8D, "2000 86 00", "2000 86 00\n2001 00 00", 1,
     "the 8D/AXXC patch does not write offset 0x2001"},
    {"offset between", Version::Mask6E, "06CE 4B D6", "06CD 00 00\n06CE 4B D6", 0, "does not write offset 0x06CD"},
    {"descending or twice", Version::Axxc8D, "2002 20 00\n2003 01 00", "2003 01 00\n2002 20 00", 1,
     "offset 0x2002 follows 0x2003: entries must stand in ascending offset order, each offset once"},
    {"two fields", Version::Axxc8D, "2002 20 00", "2002 20", 0, "expected three hexadecimal numbers"},
    {"not hexadecimal", Version::Axxc8D, "2002 20 00", "2002 2G 00", 0, "insertion value 2G is not a hexadecimal number"},
    {"value too long", Version::Axxc8D, "2002 20 00", "2002 20 100", 0, "removal value 100 has more than 2"},
    {"missing entry", Version::Axxc8D, "2005 CE 00\n", "", 0,
     "the table has 125 of the 126 entries of the 8D/AXXC patch; offset 0x2005 (routine) is missing"},
};

TEST(PatchTableReader, RefusesEveryKindOfMalformedTableNamingTheLine) {
  for (const auto& bad : kMalformations) {
    SCOPED_TRACE(bad.what);
    std::string text(wbpatch::EmbeddedTableText(wbpatch::TableFileName(bad.version)));
    const auto at = text.find(std::string("\n") + bad.line) + 1;
    ASSERT_NE(at, 0U);
    text.replace(at, std::string(bad.line).size(), bad.replacement);
    const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
    // A missing entry is noticed at the end of the table, which names no line.
    const std::string place =
        *bad.replacement == '\0' ? "t.txt: " : "t.txt line " + std::to_string(line + bad.faultyLine) + ": ";
    EXPECT_THAT(ErrorTextOf([&] { wbpatch::ParseTable(bad.version, text, "t.txt"); }),
                AllOf(StartsWith("321 Invalid file format (" + place), HasSubstr(bad.complaint)));
  }
}

TEST(PatchTableReader, RefusesATableOfAnotherVersionAndAnEmptyOne) {
  const std::string aujp(wbpatch::EmbeddedTableText("8D-AUJP.txt"));
  EXPECT_THAT(ErrorTextOf([&] { wbpatch::ParseTable(Version::Axxc8D, aujp, "t.txt"); }),
              HasSubstr("insertion value 0xDC at 0x2004"));
  EXPECT_THAT(ErrorTextOf([&] { wbpatch::ParseTable(Version::Mask6E, "# nothing\n", "t.txt"); }),
              HasSubstr("(t.txt: the table has 0 of the 524 entries of the 6E patch; offset 0x06CC"));
}

TEST(PatchTableReader, ReadsBackWhatItWritesWhateverTheLineEndsAndComments) {
  for (const Version version : wbpatch::kVersions) {
    const Table table = BuiltIn(version);
    const std::string text = wbpatch::FormatTable(table, {"made by a test", "", "second line"});
    EXPECT_THAT(text, StartsWith("# made by a test\n#\n# second line\n\n"));
    EXPECT_THAT(wbpatch::ParseTable(version, text, "t").entries, ElementsAreArray(table.entries));
    // Carriage returns, tabs, lower case and trailing comments are all accepted.
    std::string loose;
    for (const char c : text)
      loose += c == '\n' ? std::string(" # note\r\n") : std::string(1, c == ' ' ? '\t' : static_cast<char>(c | 0x20));
    EXPECT_THAT(wbpatch::ParseTable(version, loose, "t").entries, ElementsAreArray(table.entries));
  }
}

TEST(PatchState, TellsPresentAbsentAndPartial) {
  const Table table = BuiltIn(Version::Mask6E);
  std::vector<std::uint8_t> image(32768, 0xA5);
  const auto state = [&] { return wbpatch::PatchStateOf(table, image); };
  using Kind = wbpatch::PatchState::Kind;
  EXPECT_EQ(state().kind, Kind::Partial);
  EXPECT_EQ(state().holdingInsertion + state().holdingRemoval, 0U);
  for (const Entry& entry : table.entries) image[entry.offset] = entry.insertion;
  EXPECT_EQ(state().kind, Kind::Present);
  EXPECT_EQ(state().holdingInsertion, 524U);
  for (const Entry& entry : table.entries) image[entry.offset] = entry.removal;
  EXPECT_EQ(state().kind, Kind::Absent);
  image[0x0E6C] = 0xBD;  // the hook's first byte inserted again
  EXPECT_EQ(state().kind, Kind::Partial);
  EXPECT_EQ(state().holdingInsertion, 1U);
  EXPECT_EQ(state().holdingRemoval, 523U);
  image.resize(0x3D7C);  // an image too short for the area holds none of it
  EXPECT_EQ(state().holdingRemoval, 7U);
  EXPECT_EQ(state().entries, 524U);
}

// Where a $8D operation reads the broadcast code: the offsets of each step, "*" marking
// the steps that depend on the code (the AXXC offsets, then "/" and the AUJP offsets).
std::string StepOutline(wbpatch::Operation operation) {
  std::string outline;
  for (const auto& step : wbpatch::Steps8D(BuiltIn(Version::Axxc8D), BuiltIn(Version::Aujp8D), operation)) {
    const auto span = [](const std::vector<wbpatch::Write>& writes) {
      return std::to_string(writes.size()) + "@" + wbpatch::Hex(writes.front().offset, 4).substr(2);
    };
    outline += step.dependsOnBcc ? " *" + span(step.axxc) + "/" + span(step.aujp) : " " + span(step.axxc);
  }
  return outline;
}

TEST(PatchSteps8D, ReadTheCodeWhereTheTwoCodesDiffer) {
  EXPECT_EQ(StepOutline(wbpatch::Operation::Insert),
            " 7@0929 *1@2004/1@2004 39@2005 *1@202D/1@202D 65@202E *13@2081/13@2082");
  EXPECT_EQ(StepOutline(wbpatch::Operation::Remove), " 122@0929 *4@2081/4@208B");
}

}  // namespace
}  // namespace vantorix::test
