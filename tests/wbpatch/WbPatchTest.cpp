#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ImageFixture.h"
#include "PatchFacts.h"

namespace vantorix::test {
namespace {

using ::testing::Each;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using wbpatch::Operation;
using wbpatch::Version;

constexpr std::uint8_t kBackground = 0xA5;  // a value that no version writes, so every write shows

struct Case {
  const char* what;
  std::uint8_t mask;
  bool axxcBytes;  // the three identification bytes of AXXC
  Version version;
  const char* bcc;
};

const Case kCases[] = {
    {"AXXC", 0x8D, true, Version::Axxc8D, "AXXC"},
    {"AUJP", 0x8D, false, Version::Aujp8D, "AUJP"},
    {"$6E, whatever its identification bytes", 0x6E, true, Version::Mask6E, "ARAP or APYP"},
};

TestImage Background(const Case& c, std::size_t size = 32768) {
  TestImage image(size, c.mask);
  image.Fill(kBackground).Mask(c.mask).StoredChecksum(0x1234);
  return c.axxcBytes ? image.Axxc() : image;
}

// The image after an operation of the version: the values the layout fixes as written
// down in PatchFacts, the shipped table's values where it fixes none.
TestImage Written(TestImage image, Version version, Operation operation) {
  const auto table = wbpatch::BuiltInTables().Load(version).entries;
  const auto facts = FactsOf(version);
  for (std::size_t i = 0; i < facts.size() && facts[i].offset < image.Bytes().size(); ++i) {
    const int fixed = operation == Operation::Insert ? facts[i].insertion : facts[i].removal;
    image.Byte(facts[i].offset, fixed != kFree ? static_cast<std::uint8_t>(fixed) : table.at(i).ValueFor(operation));
  }
  return image;
}

class WbPatch : public ImageFixture {
 protected:
  bool Run(Operation operation) {
    return operation == Operation::Insert ? bin->AddWBHackToBIN() : bin->RemoveWBHackFromBIN();
  }
};

TEST_F(WbPatch, EachOperationWritesExactlyItsVersionsValuesAndNothingElse) {
  for (const Case& c : kCases) {
    for (const Operation operation : {Operation::Insert, Operation::Remove}) {
      SCOPED_TRACE(std::string(c.what) + (operation == Operation::Insert ? " insertion" : " removal"));
      const TestImage before = Background(c);
      clsBINFile& image = Opened(before);
      EXPECT_TRUE(Run(operation));
      const TestImage expected = Written(before, c.version, operation);
      EXPECT_THAT(image.Bytes(), ElementsAreArray(expected.Bytes()));
      EXPECT_EQ(std::ranges::count_if(image.Bytes(), [](std::uint8_t b) { return b != kBackground; }),
                std::ranges::count_if(before.Bytes(), [](std::uint8_t b) { return b != kBackground; }) +
                    static_cast<std::ptrdiff_t>(FactsOf(c.version).size()));
      EXPECT_TRUE(image.Changed());
      // Neither the broadcast code nor the stored checksum follows the new bytes before a save.
      EXPECT_EQ(image.WBBCC(), c.bcc);
      EXPECT_EQ(image.Checksum(), "1234");
      EXPECT_THAT(shell.Trace(), IsEmpty());
    }
  }
}

TEST_F(WbPatch, InsertingTwiceEqualsOnceAndRemovalRestoresAnUnpatchedImage) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const TestImage unpatched = Written(Background(c), c.version, Operation::Remove);
    clsBINFile& image = Opened(unpatched);
    EXPECT_TRUE(image.AddWBHackToBIN());
    const std::vector<std::uint8_t> once(image.Bytes().begin(), image.Bytes().end());
    EXPECT_THAT(once, ElementsAreArray(Written(unpatched, c.version, Operation::Insert).Bytes()));
    EXPECT_TRUE(image.AddWBHackToBIN());
    EXPECT_THAT(image.Bytes(), ElementsAreArray(once));
    EXPECT_TRUE(image.RemoveWBHackFromBIN());
    EXPECT_THAT(image.Bytes(), ElementsAreArray(unpatched.Bytes()));
  }
}

TEST_F(WbPatch, OtherMasksAndAnObjectWithoutAnImageGetNothing) {
  for (const std::uint8_t mask : {std::uint8_t{0x32}, std::uint8_t{0xAA}}) {
    const TestImage before = TestImage(32768, mask).Axxc();
    clsBINFile& image = Opened(before);
    EXPECT_FALSE(image.AddWBHackToBIN());
    EXPECT_FALSE(image.RemoveWBHackFromBIN());
    EXPECT_THAT(image.Bytes(), ElementsAreArray(before.Bytes()));
    EXPECT_FALSE(image.Changed());
  }
  clsBINFile empty(shell, RealFileSystem(), builtInTables);
  EXPECT_FALSE(empty.AddWBHackToBIN());
  EXPECT_FALSE(empty.RemoveWBHackFromBIN());
  EXPECT_FALSE(empty.Changed());
  EXPECT_THAT(shell.Trace(), IsEmpty());
}

TEST_F(WbPatch, AShort8DImageReportsEachRefusedByteAndStillSucceeds) {
  // 16 KB passes the size rule; its code reads as AUJP, whose hook lies past the end.
  const Case aujp = kCases[1];
  for (const Operation operation : {Operation::Insert, Operation::Remove}) {
    const TestImage before = Background(aujp, 16384);
    clsBINFile& image = Opened(before);
    EXPECT_TRUE(Run(operation));
    EXPECT_THAT(image.Bytes(), ElementsAreArray(Written(before, Version::Aujp8D, operation).Bytes()));
    ASSERT_EQ(shell.ErrorReports(), std::vector<std::string>(3, "clsBINFile.WriteToBin"));
    for (int k = 0; k < 3; ++k)
      EXPECT_THAT(shell.Boxes()[static_cast<std::size_t>(k)].text,
                  HasSubstr("position " + std::to_string(0x4C90 + 1 + k) + " of an image of 16384 bytes"));
    EXPECT_TRUE(image.Changed());
  }
}

}  // namespace
}  // namespace vantorix::test
