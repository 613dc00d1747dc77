#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "ImageFixture.h"
#include "PatchFacts.h"
#include "wbpatch/EmbeddedTables.h"

namespace vantorix::test {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using wbpatch::Table;
using wbpatch::Version;

using Bytes = std::vector<std::uint8_t>;

struct Pair {
  Bytes stock;
  Bytes patched;
};

// A stock image and the same image with a made-up test patch applied: the layout's fixed
// values, and letters where it fixes none. Stock $8D images hold zeros in 0x2000-0x208B.
Pair MadePair(Version version) {
  TestImage stock(32768, version == Version::Mask6E ? 0x6E : 0x8D);
  if (version == Version::Axxc8D) stock.Axxc();
  if (version == Version::Aujp8D) stock.Aujp();
  if (version != Version::Mask6E)
    for (std::size_t offset = 0x2000; offset <= 0x208B; ++offset) stock.Byte(offset, 0x00);
  for (const Fact& fact : FactsOf(version))
    if (fact.removal != kFree) stock.Byte(fact.offset, static_cast<std::uint8_t>(fact.removal));
  TestImage patched = stock;
  for (const Fact& fact : FactsOf(version))
    patched.Byte(fact.offset, fact.insertion != kFree ? static_cast<std::uint8_t>(fact.insertion)
                                                      : static_cast<std::uint8_t>('a' + fact.offset % 26));
  return {stock.CorrectChecksum().Bytes(), patched.CorrectChecksum().Bytes()};
}

Bytes Applied(Bytes image, const Table& table, wbpatch::Operation operation) {
  for (const auto& entry : table.entries) image.at(entry.offset) = entry.ValueFor(operation);
  return image;
}

Bytes WithoutChecksum(Bytes image) {
  image[6] = image[7] = 0;
  return image;
}

TEST(PatchDerivation, TakesTheTableFromAConsistentPair) {
  for (const Version version : wbpatch::kVersions) {
    SCOPED_TRACE(wbpatch::VersionName(version));
    const Pair pair = MadePair(version);
    ASSERT_NE(pair.stock[6] * 256 + pair.stock[7], pair.patched[6] * 256 + pair.patched[7]);
    const Table table = wbpatch::DeriveTable(version, pair.stock, pair.patched);
    EXPECT_EQ(table.entries.size(), FactsOf(version).size());
    EXPECT_EQ(WithoutChecksum(Applied(pair.stock, table, wbpatch::Operation::Insert)), WithoutChecksum(pair.patched));
    EXPECT_EQ(WithoutChecksum(Applied(pair.patched, table, wbpatch::Operation::Remove)), WithoutChecksum(pair.stock));
    // What it derives, it can write down and read back as the version's table.
    EXPECT_THAT(wbpatch::ParseTable(version, wbpatch::FormatTable(table, {"test"}), "t").entries,
                ElementsAreArray(table.entries));
  }
}

struct Inconsistency {
  const char* what;
  Version version;
  void (*spoil)(Pair&);
  const char* complaint;
};

const Inconsistency kInconsistencies[] = {
    {"difference outside", Version::Axxc8D, [](Pair& p) { p.patched[0x1000] ^= 0xFF; },
     "the images differ at 0x1000, where the patch writes nothing"},
    {"several differences", Version::Mask6E, [](Pair& p) { p.patched[0x06CD] ^= 1, p.patched[0x7000] ^= 1; },
     "the images differ at 0x06CD and 1 more offsets"},
    {"offset left alone", Version::Aujp8D, [](Pair& p) { p.stock[0x2081] = p.patched[0x2081] = 0x12; },
     "the patched image holds 0x12 at 0x2081, which the patch leaves at 0x00"},
    {"fixed insertion", Version::Axxc8D, [](Pair& p) { p.patched[0x2004] = 0xDC; },
     "the patched image holds 0xDC at 0x2004 (routine), where the patch has 0xFC"},
    {"fixed removal", Version::Aujp8D, [](Pair& p) { p.stock[0x4C91] = 0xA0; },
     "the stock image holds 0xA0 at 0x4C91 (hook), where an unpatched image has 0x00"},
    {"zero run", Version::Mask6E, [](Pair& p) { p.patched[0x3F7F] = 0x01; },
     "the patched image holds 0x01 at 0x3F7F (zero run), where the patch has 0x00"},
    {"text", Version::Axxc8D, [](Pair& p) { p.patched[0x207D] = 0x7F; }, "a printable ASCII character"},
    {"sizes", Version::Mask6E, [](Pair& p) { p.patched.resize(16384); },
     "the stock image has 32768 bytes, the patched image 16384"},
    {"too short", Version::Axxc8D, [](Pair& p) { p.stock.resize(0x7100), p.patched.resize(0x7100); },
     "the images have 28928 bytes, too few to hold offset 0x71C3"},
    {"patched mask", Version::Mask6E, [](Pair& p) { p.patched[8] = 0x8D; },
     "the patched image has mask $8D; this patch is for $6E images"},
    {"code", Version::Aujp8D, [](Pair& p) { p.stock[0x717C] = p.patched[0x717C] = 0x59; },
     "the images are of broadcast code AXXC"},
};

TEST(PatchDerivation, RefusesEveryKindOfInconsistency) {
  for (const auto& bad : kInconsistencies) {
    SCOPED_TRACE(bad.what);
    Pair pair = MadePair(bad.version);
    bad.spoil(pair);
    EXPECT_THAT(ErrorTextOf([&] { wbpatch::DeriveTable(bad.version, pair.stock, pair.patched); }),
                AllOf(StartsWith("5 Invalid procedure call or argument (cannot derive the " +
                                 std::string(wbpatch::VersionName(bad.version)) + " table: "),
                      HasSubstr(bad.complaint)));
  }
  const Pair mask6E = MadePair(Version::Mask6E);
  EXPECT_THAT(ErrorTextOf([&] { wbpatch::DeriveTable(Version::Axxc8D, mask6E.stock, mask6E.patched); }),
              HasSubstr("the stock image has mask $6E; this patch is for $8D images"));
}

TEST(UserTableFolder, FollowsTheXdgRules) {
  EXPECT_EQ(wbpatch::UserTableFolder("/x/data", "/home/u"), "/x/data/Vantorix/wbpatch");
  EXPECT_EQ(wbpatch::UserTableFolder(nullptr, "/home/u"), "/home/u/.local/share/Vantorix/wbpatch");
  EXPECT_EQ(wbpatch::UserTableFolder("", "/home/u"), "/home/u/.local/share/Vantorix/wbpatch");
  EXPECT_EQ(wbpatch::UserTableFolder("relative", "/home/u"), "/home/u/.local/share/Vantorix/wbpatch");
  EXPECT_EQ(ErrorTextOf([] { wbpatch::UserTableFolder(nullptr, ""); }).substr(0, 3), "76 ");
}

// An image object whose tables come from a folder of installed tables.
class InstalledPatchTables : public ImageFixture {
 protected:
  wbpatch::TableSource& tables() override { return installed; }

  std::filesystem::path WriteFile(const std::string& name, const std::string& text) const {
    std::ofstream(dir.Path() / name, std::ios::binary) << text;
    return dir.Path() / name;
  }
  std::filesystem::path InstallDerived(Version version) {
    const Pair pair = MadePair(version);
    const Table table = wbpatch::DeriveTable(version, pair.stock, pair.patched);
    return wbpatch::InstallTable(version, WriteFile("derived.txt", wbpatch::FormatTable(table, {"test"})), folder);
  }
  std::string Installed(Version version) const {
    const auto bytes = ReadFile(folder / wbpatch::TableFileName(version));
    return {bytes.begin(), bytes.end()};
  }

  std::filesystem::path folder = dir.Path() / "data" / "Vantorix" / "wbpatch";
  wbpatch::InstalledTables installed{folder};
};

TEST_F(InstalledPatchTables, TakeTheBuiltInTablesPlaceForTheirVersionOnly) {
  EXPECT_EQ(installed.Load(Version::Aujp8D).origin, "built-in 8D-AUJP.txt");
  const auto installedPath = InstallDerived(Version::Aujp8D);
  EXPECT_EQ(installedPath, folder / "8D-AUJP.txt");
  EXPECT_EQ(installed.Load(Version::Aujp8D).origin, installedPath.string());

  // The two $8D tables now disagree on bytes they otherwise share; each code still gets its own table.
  const Pair pair = MadePair(Version::Aujp8D);
  const std::pair<TestImage, Table> cases[] = {
      {TestImage(32768, 0x8D).Aujp(), wbpatch::DeriveTable(Version::Aujp8D, pair.stock, pair.patched)},
      {TestImage(32768, 0x8D).Axxc(), builtInTables.Load(Version::Axxc8D)}};
  for (const auto& [before, table] : cases) {
    clsBINFile& image = Opened(before);
    ASSERT_TRUE(image.AddWBHackToBIN());
    EXPECT_THAT(image.Bytes(), ElementsAreArray(Applied(before.Bytes(), table, wbpatch::Operation::Insert)));
  }

  EXPECT_TRUE(wbpatch::UninstallTable(Version::Aujp8D, folder));
  EXPECT_FALSE(wbpatch::UninstallTable(Version::Aujp8D, folder));
  EXPECT_EQ(installed.Load(Version::Aujp8D).origin, "built-in 8D-AUJP.txt");
  EXPECT_THAT(shell.Trace(), IsEmpty());
}

TEST_F(InstalledPatchTables, InstallRefusesAMalformedTableAndKeepsTheOneInPlace) {
  InstallDerived(Version::Mask6E);
  const std::string before = Installed(Version::Mask6E);
  const auto bad = WriteFile("bad.txt", "06CC 4A D5\n06CE 4B\n");
  EXPECT_EQ(ErrorTextOf([&] { wbpatch::InstallTable(Version::Mask6E, bad, folder); }),
            "321 Invalid file format (" + bad.string() +
                " line 2: expected three hexadecimal numbers (offset, insertion value, removal value), found 2)");
  EXPECT_EQ(Installed(Version::Mask6E), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST_F(InstalledPatchTables, AMalformedInstalledTableStopsThePatchBeforeAnyWrite) {
  std::filesystem::create_directories(folder);
  std::string text(wbpatch::EmbeddedTableText("8D-AUJP.txt"));
  text.replace(text.find("\n4C90 BD CE"), 11, "\n4C90 BD CF");
  WriteFile("data/Vantorix/wbpatch/8D-AUJP.txt", text);
  std::filesystem::create_directory(folder / "6E.txt");
  for (const auto& [mask, complaint] :
       {std::pair{0x8D, "8D-AUJP.txt line "}, std::pair{0x6E, "6E.txt is not a regular file"}}) {
    const TestImage before = TestImage(32768, static_cast<std::uint8_t>(mask)).Axxc();
    clsBINFile& image = Opened(before);
    EXPECT_FALSE(image.AddWBHackToBIN());
    EXPECT_FALSE(image.RemoveWBHackFromBIN());
    EXPECT_THAT(shell.ErrorReports(),
                ElementsAreArray({"clsBINFile.AddWBHackToBIN", "clsBINFile.RemoveWBHackFromBIN"}));
    EXPECT_THAT(shell.Boxes().at(0).text, AllOf(HasSubstr("Error Number: 321"), HasSubstr(complaint)));
    EXPECT_THAT(image.Bytes(), ElementsAreArray(before.Bytes()));
    EXPECT_FALSE(image.Changed());
  }
}

}  // namespace
}  // namespace vantorix::test
