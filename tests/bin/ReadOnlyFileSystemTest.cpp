#include <gtest/gtest.h>

#include <array>

#include "ErrorNumberOf.h"
#include "ImageFixture.h"

namespace vantorix::test {
namespace {

constexpr int kPermissionDenied = static_cast<int>(ErrorNumber::PermissionDenied);

class ReadOnlyFiles : public ImageFixture {};

TEST_F(ReadOnlyFiles, ReadButNeverWriteAndShareTheFileOnlyWithOtherReaders) {
  path = Write(TestImage(32768, 0x6E));
  FileSystem& reading = ReadOnlyFileSystem();
  auto first = reading.OpenReadWrite(path);
  auto second = reading.OpenReadWrite(path);  // readers do not lock each other out
  std::array<std::uint8_t, 16> bytes{};
  EXPECT_EQ(first->ReadAt(0, bytes), bytes.size());
  EXPECT_EQ(bytes[8], 0x6E);
  EXPECT_EQ(first->Length(), 32768U);

  EXPECT_EQ(ErrorNumberOf([&] { first->Replace(path); }), kPermissionDenied);
  EXPECT_EQ(ErrorNumberOf([&] { first->CheckUnchangedAt(path); }), kPermissionDenied);
  EXPECT_EQ(ErrorNumberOf([&] { reading.Replace(path + ".org", 0666); }), kPermissionDenied);
  EXPECT_FALSE(std::filesystem::exists(path + ".org"));
  // A writer would change the bytes under the readers' feet: it waits for them to close.
  EXPECT_EQ(ErrorNumberOf([&] { RealFileSystem().OpenReadWrite(path); }), kPermissionDenied);
  first.reset();
  second.reset();
  EXPECT_NE(RealFileSystem().OpenReadWrite(path), nullptr);
  EXPECT_EQ(ReadFile(path), TestImage(32768, 0x6E).Bytes());
}

TEST_F(ReadOnlyFiles, AnImageOpenedThroughThemCannotBeSaved) {
  path = Write(TestImage(32768, 0x8D).StoredChecksum(0x1234));
  clsBINFile image(shell, ReadOnlyFileSystem(), tables());
  ASSERT_TRUE(image.OpenBIN(path, true));
  image.SaveBIN();
  EXPECT_EQ(shell.ErrorReports(), (std::vector<std::string>{"basFileFunctions.BackupFile", "clsBINFile.SaveBIN"}));
  EXPECT_EQ(ReadFile(path), TestImage(32768, 0x8D).StoredChecksum(0x1234).Bytes());
  EXPECT_FALSE(std::filesystem::exists(path + ".org"));
}

}  // namespace
}  // namespace vantorix::test
