// The patch on an image: the broadcast code that picks the version, the whole image after
// each operation, refusals, and the tables a user installs.
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
using wbpatch::Operation;
using wbpatch::Version;

class WbPatch : public ImageFixture {};

// The first line of the question asked before a stand-in is written, as the trace shows it.
std::string Question(Version version) {
  return "box 52 Stand-in Patch Table: The " + std::string(wbpatch::VersionName(version)) +
         " wideband patch table (built-in stand-in) is a stand-in, not the published patch.";
}

// The trace with each box cut after its first line.
std::vector<std::string> Outline(const RecordingShell& shell) {
  std::vector<std::string> lines;
  for (const auto& line : shell.Trace()) lines.push_back(line.substr(0, line.find('\r')));
  return lines;
}

// A stock image (varied bytes, the unpatched values the layout fixes) comes out of Remove
// as it was; Add writes the version's values, twice as once; Remove then gives back the
// stock image, except where the unpatched value is unknown: there what Add wrote stays.
// Each asks first, and a No writes nothing.
TEST_F(WbPatch, EachOperationWritesExactlyItsVersionsKnownValuesAndLeavesTheRest) {
  const std::string left = "log: 516 bytes at 0x3D7C-0x3F7F were left as they are: their unpatched values are not "
                           "in the installed table.";
  const std::vector<std::string> refused(3, "box 16 BIN File Error: Error in clsBINFile.WriteToBin");
  struct Case {
    Version version;
    std::size_t size;
    std::vector<std::string> reports;  // per operation: refused writes past the end
  };
  // 16 KB passes the size rule; its code reads as AUJP, whose hook lies past the end.
  const Case cases[] = {{Version::Axxc8D, 32768, {}}, {Version::Aujp8D, 32768, {}}, {Version::Mask6E, 32768, {}},
                        {Version::Aujp8D, 16384, refused}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(wbpatch::VersionName(c.version)) + " " + std::to_string(c.size));
    const wbpatch::Table table = builtInTables.Load(c.version);
    const TestImage stock = StockImage(c.version, c.size).StoredChecksum(0x1234);
    const auto inserted = Applied(stock.Bytes(), table, Operation::Insert);
    const std::string bcc = Opened(stock).WBBCC();
    std::vector<std::string> trace;
    const auto run = [&](Operation operation, const std::vector<std::uint8_t>& expected) {
      shell.Answer(MsgBoxResult::Yes);
      EXPECT_TRUE(operation == Operation::Insert ? bin->AddWBHackToBIN() : bin->RemoveWBHackFromBIN());
      EXPECT_THAT(bin->Bytes(), ElementsAreArray(expected));
      trace.push_back(Question(c.version));
      trace.insert(trace.end(), c.reports.begin(), c.reports.end());
      if (operation == Operation::Remove && c.version == Version::Mask6E) trace.push_back(left);
    };
    run(Operation::Remove, stock.Bytes());
    run(Operation::Insert, inserted);
    run(Operation::Insert, inserted);
    run(Operation::Remove, Applied(inserted, table, Operation::Remove));
    EXPECT_EQ(bin->WBTableUsed(), "built-in stand-in");
    shell.Answer(MsgBoxResult::No);  // declined: nothing is written
    EXPECT_FALSE(bin->AddWBHackToBIN());
    EXPECT_THAT(bin->Bytes(), ElementsAreArray(Applied(inserted, table, Operation::Remove)));
    trace.push_back(Question(c.version));
    EXPECT_EQ(Outline(shell), trace);
    // Neither the broadcast code nor the stored checksum follows the new bytes before a save.
    EXPECT_EQ(bin->WBBCC() + " " + bin->Checksum() + " " + std::to_string(bin->Changed()), bcc + " 1234 1");
  }
}

TEST_F(WbPatch, OtherMasksAndAnObjectWithoutAnImageGetNothing) {
  for (const std::uint8_t mask : {std::uint8_t{0x32}, std::uint8_t{0xAA}}) {
    const TestImage before = TestImage(32768, mask).Axxc();
    clsBINFile& image = Opened(before);
    EXPECT_FALSE(image.AddWBHackToBIN() || image.RemoveWBHackFromBIN() || image.Changed());
    EXPECT_THAT(image.Bytes(), ElementsAreArray(before.Bytes()));
  }
  clsBINFile empty(shell, RealFileSystem(), builtInTables);
  EXPECT_FALSE(empty.AddWBHackToBIN() || empty.RemoveWBHackFromBIN() || empty.Changed());
  EXPECT_THAT(shell.Trace(), ::testing::IsEmpty());
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
  const TestImage stock = StockImage(Version::Aujp8D);
  const wbpatch::Table derived =
      wbpatch::DeriveTable(Version::Aujp8D, stock.Bytes(), TestPatched(Version::Aujp8D).Bytes());
  const auto aujp = wbpatch::InstallTable(Version::Aujp8D, WriteFile("t.txt", wbpatch::FormatTable(derived, {})), folder);
  const auto bad = WriteFile("b.txt", "2002 20\n");
  EXPECT_THAT(ErrorTextOf([&] { wbpatch::InstallTable(Version::Aujp8D, bad, folder); }),
              ::testing::StartsWith("321 Invalid file format (" + bad.string() + " line 1: expected three"));
  EXPECT_EQ(ReadFile(aujp), ReadFile(dir.Path() / "t.txt"));
  std::string broken(wbpatch::EmbeddedTableText("8D-AXXC.txt"));
  WriteFile("data/Vantorix/wbpatch/8D-AXXC.txt", broken.replace(broken.find("\n4C9C BD CE"), 11, "\n4C9C BD CF"));
  std::filesystem::create_directory(folder / "6E.txt");

  const std::pair<TestImage, const char*> rows[] = {{stock, nullptr},
                                                    {TestImage(32768, 0x8D).Axxc(), "8D-AXXC.txt line "},
                                                    {TestImage(32768, 0x6E), "6E.txt is not a regular file"}};
  for (const auto& [before, complaint] : rows) {
    SCOPED_TRACE(complaint ? complaint : "derived");
    clsBINFile& image = Opened(before);
    EXPECT_EQ(image.AddWBHackToBIN(), complaint == nullptr);
    EXPECT_THAT(image.Bytes(), ElementsAreArray(complaint ? before.Bytes() : TestPatched(Version::Aujp8D).Bytes()));
    EXPECT_EQ(image.WBTableUsed(), complaint ? "" : aujp.string());
    if (complaint) EXPECT_THAT(shell.Boxes().at(0).text, AllOf(HasSubstr("Error Number: 321"), HasSubstr(complaint)));
    else EXPECT_THAT(shell.Trace(), ::testing::IsEmpty());  // no question
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
