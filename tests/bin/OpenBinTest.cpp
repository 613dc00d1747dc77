// Opening an image: every outcome of an open, the identity decoded at the open and
// stored back, byte access, and the byte sum behind the checksum.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "Outcomes.h"
#include "bin/ByteSum.h"
#include "bin/FileNumbers.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class OpenBin : public ImageFixture {};

struct OpenCase {
  std::string what;
  TestImage image;
  Members members;                     // afterwards
  std::vector<std::string> reports;    // error reports, in order
  std::vector<std::string> tail = {};  // the last lines of the trace
};

// Every outcome of an open, each backed up first over an earlier and longer copy. The
// identity, transmission and broadcast code are decoded once, at the open: later writes
// to their bytes change no member.
TEST_F(OpenBin, AcceptsMultiplesOf128WithAKnownMaskDecodesOnceAndRefusesTheRestAfterTheBackup) {
  const std::string size =
                        "box Critical File Size Error: Invalid File Size.\r\nThe BIN that you are attempting to "
                        "load has an incorrect filesize: ",
                    rule = "Binary must have a mask of 32, 6E, 8D, or be marked experimental.",
                    mask = "box Exclamation Mask Error: Invalid Mask: ";
  std::vector<std::string> read = Bar();
  read.insert(read.begin(), "log: Reading BIN to array...");
  read.insert(read.end(), {"hide progress", "log: Binary read complete."});
  const std::vector<std::string> past(3, "clsBINFile.GetValueFromBin");  // the broadcast code lies past the end
  const Members none;                                                    // no image
  // clang-format off
  std::vector<OpenCase> cases{  // Members: opened, mask, PROM ID, checksum, transmission, broadcast code, size
      {"8D manual AXXC",       TestImage().PromId(0x1205).StoredChecksum(0x000F).Byte(0x18, 0x04).Axxc().Byte(0x7169, 0).Byte(0x7167, 0), {true, "8D", "4613", "000F", "MANUAL", "AXXC", 32768}, {}, read},
      {"8D automatic",         TestImage().PromId(0x1A05).StoredChecksum(0xABCD).Byte(0x18, 0xFB),                                        {true, "8D", "6661", "ABCD", "AUTO", "AUJP", 32768}, {}},
      {"8D PROM ID 0",         TestImage().PromId(0).StoredChecksum(0x0A00),                                                              {true, "8D", "0", "0A00", "MANUAL", "AUJP", 32768}, {}},
      {"6E 1 KB",              TestImage(1024, 0x6E).PromId(7).StoredChecksum(0xAB),                                                      {true, "6E", "7", "00AB", "AUTO", "ARAP or APYP", 1024}, {}},
      {"6E manual AXXC bytes", TestImage(32768, 0x6E).PromId(0xFFFF).StoredChecksum(0).Byte(0x249, 0x01).Byte(0x18, 0).Axxc(),            {true, "6E", "65535", "0000", "MANUAL", "ARAP or APYP", 32768}, {}},
      {"6E automatic",         TestImage(32768, 0x6E).Byte(0x249, 0xFE).Byte(0x18, 0xFF).PromId(1).StoredChecksum(1),                     {true, "6E", "1", "0001", "AUTO", "ARAP or APYP", 32768}, {}},
      {"32 64 KB AXXC bytes",  TestImage(65536, 0x32).PromId(0).StoredChecksum(0).Byte(0x18, 0xFF).Axxc(),                                {true, "32", "0", "0000", "", "XXXX", 65536}, {}},
      {"experimental",         TestImage(16384, 0xAA).PromId(1).StoredChecksum(1),                                                        {true, "AA", "1", "0001", "", "XXXX", 16384}, {}},
      {"8D 128 bytes",         TestImage(128, 0x8D).PromId(2).StoredChecksum(2),                                                          {true, "8D", "2", "0002", "MANUAL", "AUJP", 128}, past},
      {"32769 bytes",          TestImage(32769),                                                                                          none, {}, {size + "32769"}},
      {"127 bytes",            TestImage(127),                                                                                            none, {}, {size + "127"}},
      {"32832: of 64s only",   TestImage(32832),                                                                                          none, {}, {size + "32832"}},
      {"empty",                TestImage(0),                                                                                              none, {"clsBINFile.ReadBinaryToArray", "clsBINFile.GetBinaryMask"}, {"log: Invalid Mask: " + rule, mask + "\r\n\r\n" + rule}},
      {"mask 05 AXXC bytes",   TestImage(32768, 0x05).Axxc(),                                                                             none, {}, {"log: Binary read complete.", "log: Invalid Mask: 5" + rule, mask + "5\r\n\r\n" + rule}}};
  // clang-format on
  for (const std::size_t offset : TestImage::kBccOffsets)
    cases.push_back({"AXXC but 00 at " + std::to_string(offset),
                     TestImage().PromId(3).StoredChecksum(3).Axxc().Byte(offset, 0),
                     {true, "8D", "3", "0003", "MANUAL", "AUJP", 32768},
                     {}});
  for (const OpenCase& c : cases) {
    SCOPED_TRACE(c.what);
    shell.Clear();
    path = Write(c.image);
    TestImage(70000).WriteTo(path + ".org");
    clsBINFile image(shell, files(), patch());
    const bool opens = c.members.opened;
    EXPECT_EQ(static_cast<bool>(image.OpenBIN(path, true)), opens);
    EXPECT_EQ(Members::Of(image), c.members);
    EXPECT_EQ(image.FilePath(), opens ? path : "N/A");
    EXPECT_EQ(shell.ErrorReports(), c.reports);
    const auto& trace = shell.Trace();
    EXPECT_EQ(trace[0], "log: Original BIN backed up as: " + path + ".org");
    const auto tail = static_cast<std::ptrdiff_t>(std::min(c.tail.size(), trace.size()));
    EXPECT_EQ(std::vector<std::string>(trace.end() - tail, trace.end()), c.tail);
    EXPECT_EQ(ReadFile(path + ".org"), c.image.Bytes());
    EXPECT_THAT(BytesOf(image), ElementsAreArray(opens ? c.image.Bytes() : Bytes{}));
    for (const std::size_t offset : {0UL, 1UL, 7UL, 0x18UL, 0x249UL, 0x7168UL})
      if (opens && offset < c.image.Bytes().size()) image.WriteToBin(static_cast<double>(offset), 0x77);
    EXPECT_EQ(Members::Of(image), c.members);
  }
}

TEST_F(OpenBin, MissingFilesFoldersAndPipesAreRefusedWithoutAWordAndWithoutWaiting) {
  fs::create_directory(dir.Path() / "folder.bin");
  ASSERT_EQ(::mkfifo(dir.File("pipe.bin").c_str(), 0600), 0);  // a blocking open would wait for a writer
  for (const std::string& missing :
       {std::string(), dir.File("nothing.bin"), dir.File("folder.bin"), dir.File("pipe.bin")}) {
    SCOPED_TRACE(missing);
    clsBINFile image(shell);
    EXPECT_FALSE(image.OpenBIN(missing, true));
    EXPECT_EQ(Members::Of(image), Members{});
    EXPECT_FALSE(fs::exists(missing + ".org"));
  }
  EXPECT_TRUE(shell.Trace().empty());
  // Should a pipe take the file's place between the look and the open, the open refuses it too.
  EXPECT_EQ(ErrorTextOf([&] { RealFileSystem().OpenReadWrite(dir.File("pipe.bin")); }).substr(0, 3), "52 ");
}

// A file larger than a size can hold is not read. A read that fails or ends early is the
// open's one report, with its cause, and the open stops there: nothing that follows from
// bytes that were not read is said, and no bytes of an earlier image stay in the object.
TEST_F(OpenBin, AFailedReadIsTheOnlyReportAndAFileLargerThanASizeCanHoldIsNotRead) {
  path = dir.File("huge.bin");
  std::ofstream{path}.close();
  std::error_code error;
  fs::resize_file(path, (std::uintmax_t{1} << 31U) + 128U, error);  // sparse: no disk used
  if (!error) {
    clsBINFile image(shell);
    EXPECT_FALSE(image.OpenBIN(path));
    EXPECT_THAT(shell.Boxes().at(0).text,
                HasSubstr("Error Number: 6\r\nError Description: Overflow (the file is 2147483776"));
    EXPECT_TRUE(image.Bytes().empty());
  }
  FaultyFileSystem faulty;
  clsBINFile image(shell, faulty);
  ASSERT_TRUE(image.OpenBIN(Write(TestImage().Fill(0xEE).Mask(0x8D), "earlier.bin")));
  for (const bool cutShort : {true, false}) {
    SCOPED_TRACE(cutShort ? "cut short" : "device error");
    shell.Clear();
    faulty.shrinkTo = cutShort ? std::optional<std::uintmax_t>(10000) : std::nullopt;
    faulty.readError = cutShort ? std::nullopt : std::optional<int>(EIO);
    const Outcome opened = image.OpenBIN(Write(TestImage()));
    EXPECT_THAT(opened.Detail(), HasSubstr(cutShort ? "ended after 10000 bytes" : "Device I/O error"));
    std::vector<std::string> trace = Bar(cutShort ? 3 : 0);
    trace.insert(trace.begin(), "log: Reading BIN to array...");
    trace.push_back("hide progress");
    trace.push_back(shell.Trace().back());  // the report, and nothing after it
    EXPECT_EQ(shell.Trace(), trace);
    EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.ReadBinaryToArray"));
    EXPECT_EQ(Members::Of(image), Members{});
    EXPECT_TRUE(image.Bytes().empty());
  }
}

TEST_F(OpenBin, CloseResetsEveryMemberAndFreesTheFileAndItsNumber) {
  const std::string other = Write(TestImage(), "other.bin");
  clsBINFile& image = Opened(TestImage(32768, 0x8D).Axxc());
  clsBINFile second(shell);
  ASSERT_TRUE(second.OpenBIN(other) && image.PutPEModifier_RPM(1, 7));
  const std::int16_t number = image.FileNumber();
  EXPECT_NE(number, second.FileNumber());
  image.CloseBIN();
  EXPECT_EQ(Members::Of(image), Members{});
  EXPECT_EQ(image.FileNumber(), 0);
  clsBINFile again(shell);  // the file is no longer locked, its number is free again
  EXPECT_TRUE(again.OpenBIN(path) && again.FileNumber() == number && !fs::exists(path + ".org"));
  // Reused for another file, an object lets go of the first one and its number.
  EXPECT_TRUE(again.OpenBIN(Write(TestImage(), "third.bin")) && again.FileNumber() == number &&
              clsBINFile(shell).OpenBIN(path));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre());
  // Numbers run out after 255 open files, with error 67.
  std::vector<std::int16_t> taken;
  while (ErrorTextOf([&] { taken.push_back(file_numbers::NextFree()), file_numbers::Claim(taken.back()); }).empty()) {
  }
  EXPECT_EQ(taken.back(), 255);
  EXPECT_EQ(ErrorTextOf([] { file_numbers::NextFree(); }).substr(0, 3), "67 ");
  for (const std::int16_t each : taken) file_numbers::Release(each);
}

// The four identity bytes: PROM ID high, low, checksum high, low.
std::string IdentityBytes(clsBINFile& image) {
  const auto b = image.Bytes();
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X", unsigned{b[0]}, unsigned{b[1]}, unsigned{b[6]},
                unsigned{b[7]});
  return text;
}

class Identity : public ImageFixture {};

// The sum runs from 0x0008 (the mask) to the end, modulo 65536: the PROM ID, the four
// bytes after it and the stored checksum are not summed; a sum of exactly 65536 is 0.
TEST_F(Identity, ChecksumSumsEveryByteFromOffset8Modulo65536AndStoresExactly65536AsZero) {
  TestImage exact = TestImage(384).Fill(0).Mask(0xAA);
  std::uint32_t sum = 0xAA;
  for (std::size_t offset = 9; sum + 0xFF <= 65536; ++offset, sum += 0xFF) exact.Byte(offset, 0xFF);
  exact.Byte(383, static_cast<std::uint8_t>(65536 - sum)).StoredChecksum(0x1234);
  const TestImage plain = TestImage(128).Fill(0).Mask(0x8D);
  std::string sums;
  for (const TestImage& image : {plain, TestImage(plain).PromId(0xFFFF).StoredChecksum(0xFFFF).Byte(2, 9).Byte(5, 9),
                                 TestImage(32768, 0x8D), TestImage(65536, 0x6E), exact})
    sums += Opened(image).CalculateCSUM() + " ";
  EXPECT_EQ(sums, "8D 8D BF1C 7EFD 0 ");
  bin->CheckSum(bin->CalculateCSUM());
  EXPECT_EQ(IdentityBytes(*bin), "00 00 00 00");
  EXPECT_EQ(clsBINFile(shell).CalculateCSUM(), "0");  // nothing to sum
}

// The text is kept as given; the bytes are the value big-endian, the low byte alone
// above 16 bits (with a word to the user), nothing for text that is not a number.
TEST_F(Identity, SixteenBitStoresWriteTheValueBigEndianAndKeepTheTextAsGiven) {
  const struct {
    bool checksum;
    const char* text;
    const char* bytes;  // PROM ID high, low, checksum high, low; 55 where untouched
    const char* said;   // box shown, if any
  } cases[] = {{true, "A5", "55 55 00 A5", ""},
               {true, "3A5", "55 55 03 A5", ""},
               {true, "abcd", "55 55 AB CD", ""},
               {true, "0", "55 55 00 00", ""},
               {true, "100", "55 55 01 00", ""},
               {false, "4613", "12 05 55 55", ""},
               {false, "255", "00 FF 55 55", ""},
               {false, "256", "01 00 55 55", ""},
               {false, "65535", "FF FF 55 55", ""},
               {false, "12.5", "00 0C 55 55", ""},
               {false, "300.5", "01 2C 55 55", ""},
               {false, "70000", "55 70 55 55", "Ouch"},
               {true, "12345", "55 55 55 45", "Ouch"},
               {true, "xyz", "55 55 55 55", "Error Number: 13"},
               {false, "12abc", "55 55 55 55", "Error Number: 13"},
               {false, "-1", "55 55 55 55", "Error Number: 6"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    clsBINFile& image = Opened(TestImage().PromId(0x5555).StoredChecksum(0x5555));
    c.checksum ? image.CheckSum(c.text) : image.PROMID(c.text);
    // The text is not padded or reformatted; only a store that writes marks the image.
    EXPECT_EQ(IdentityBytes(image) + " " + (c.checksum ? image.Checksum() : image.PROMID()) + " " +
                  std::to_string(image.Changed()),
              std::string(c.bytes) + " " + c.text + " " + std::to_string(std::string(c.bytes) != "55 55 55 55"));
    EXPECT_EQ(shell.Boxes().size(), *c.said ? 1U : 0U);
    for (const BoxCall& box : shell.Boxes()) EXPECT_THAT(box.text, HasSubstr(c.said));
  }
}

// WriteToBin takes a 0-based offset, GetValueFromBin a 1-based position; both refuse
// what lies outside the image and values outside a byte; nothing is stored into or read
// from an object without an image.
TEST_F(Identity, ByteAccessRoundsHalvesToEvenAndRefusesWhatIsOutsideTheImage) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D));
  const struct {
    double offset, value;
  } writes[] = {{0, 255}, {0x7168, 0x3C}, {32767, 0}, {10, 2.5}, {11.4, 3.5}, {32768, 0}, {-1, 0}, {20, 256}, {20, -1}};
  for (const auto& w : writes) image.WriteToBin(w.offset, w.value);
  EXPECT_THAT(shell.ErrorNumbers(), ElementsAre(9, 9, 6, 6));
  std::string read;
  for (const double position : {1.0, 29033.0, 32768.0, 11.0, 12.0, 21.0, 0.0, 32769.0})
    read += image.GetValueFromBin(position) + ",";
  EXPECT_EQ(read, "255,60,0,2,4,153,,,");  // 153 was there
  EXPECT_FALSE(image.Changed());           // the byte writer leaves marking to its callers
  clsBINFile empty(shell);                 // no image to read or store into
  shell.Clear();
  empty.WriteToBin(0, 1), empty.CheckSum("A5"), empty.PROMID("1");
  EXPECT_EQ(empty.GetValueFromBin(1) + std::to_string(empty.Changed()), "0");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.WriteToBin", "clsBINFile.CheckSum [PropertyLet]",
                                                "clsBINFile.PROMID [PropertyLet]", "clsBINFile.GetValueFromBin"));
}

// Every length around the vector widths and unrolled blocks, at every alignment, so that
// a byte dropped or counted twice in a block or its tail shows up; and sums past 32 bits,
// which wrap as the 32-bit sum does. The program's own kernel is the one tried: AVX2 where
// the processor has it.
TEST(ByteSum, AgreesWithTheByteByByteSumAtEveryLengthAndAlignmentAndWraps) {
  Bytes mixed(600);
  std::mt19937 generator(1234);
  for (auto& byte : mixed) byte = static_cast<std::uint8_t>(generator());
  for (std::size_t offset = 0; offset < 4; ++offset)
    for (std::size_t length = 0; offset + length <= 520; ++length) {
      const auto slice = std::span(mixed).subspan(offset, length);
      ASSERT_EQ(ByteSum(slice), byte_sum::Portable(slice)) << "offset " << offset << " length " << length;
    }
  const Bytes huge(std::size_t{1} << 24U | 1U, 0xFF);  // more than 2^32 / 255 bytes
  EXPECT_EQ(ByteSum(huge), static_cast<std::uint32_t>(huge.size() * 255U));
}

}  // namespace
}  // namespace vantorix::test
