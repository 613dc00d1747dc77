// Opening an image: every outcome of an open, the identity decoded at the open and
// stored back, byte access, and the byte sum behind the checksum.
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

using ::testing::HasSubstr;

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
  // clang-format off
  const std::string rule = "Binary must have a mask of 32, 6E, 8D, or be marked experimental.", mask = "box Exclamation Mask Error: Invalid Mask: ",
                    size = "box Critical File Size Error: Invalid File Size.\r\nThe BIN that you are attempting to load has an incorrect filesize: ";
  const auto read = Bar({"log: Reading BIN to array..."}, 10, {"hide progress", "log: Binary read complete."});
  const std::vector<std::string> past(3, "clsBINFile.GetValueFromBin");  // the broadcast code lies past the end
  const Members none;  // no image
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
  for (const std::size_t offset : TestImage::kBccOffsets)
    cases.push_back({"AXXC but 00 at " + std::to_string(offset), TestImage().PromId(3).StoredChecksum(3).Axxc().Byte(offset, 0), {true, "8D", "3", "0003", "MANUAL", "AUJP", 32768}, {}});
  // clang-format on
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

struct NoImage {
  const char* what;
  std::string path;                              // what is opened
  bool backup;                                   // asked for
  bool reused;                                   // the object held another image before
  std::function<void(FaultyFileSystem&)> fault;  // struck after the open, if any
  std::vector<std::string> trace;                // each box up to its first line break
  std::string said;                              // the report's number and the outcome's detail
};

// Whatever is not there or cannot be read leaves the object without an image (a failed
// read also one that held an image before), and nothing is backed up. Missing files, folders and pipes
// are refused without a word and without waiting (a blocking open of a pipe would wait for
// a writer); a file larger than a size can hold is not read; a read that fails or ends
// early is the open's one report, with its cause, and nothing that follows from bytes that
// were not read is said.
TEST_F(OpenBin, WhatIsNotThereOrCannotBeReadLeavesNoImageAndAtMostOneReport) {
  const std::string huge = dir.File("huge.bin"), cut = Write(TestImage(), "cut.bin"),
                    bad = Write(TestImage(), "bad.bin");
  fs::create_directory(dir.Path() / "folder.bin");
  ASSERT_EQ(::mkfifo(dir.File("pipe.bin").c_str(), 0600), 0);
  std::ofstream{huge}.close();
  std::error_code noSparseFiles;
  fs::resize_file(huge, (std::uintmax_t{1} << 31U) + 128U, noSparseFiles);  // sparse: no disk used
  const auto read = [](std::size_t steps) {
    return Bar({"log: Reading BIN to array..."}, steps,
               {"hide progress", "box Critical BIN File Error: Error in clsBINFile.ReadBinaryToArray"});
  };
  // clang-format off
  const std::vector<NoImage> rows{
      {"no name",                     "",                      true,  false, nullptr, {}, ""},
      {"missing",                     dir.File("nothing.bin"), true,  true,  nullptr, {}, ""},
      {"a folder",                    dir.File("folder.bin"),  true,  false, nullptr, {}, ""},
      {"a pipe",                      dir.File("pipe.bin"),    true,  false, nullptr, {}, ""},
      {"larger than a size can hold", huge,                    false, true,  nullptr, {"box Critical BIN File Error: Error in clsBINFile.OpenBIN"}, "6 Overflow (the file is 2147483776 bytes long; an image can hold at most 2147483647)"},
      {"cut short",                   cut,                     false, true,  [](FaultyFileSystem& f) { f.shrinkTo = 10000; }, read(3), "62 Input past end of file (" + cut + " ended after 10000 bytes)"},
      {"a device error",              bad,                     false, true,  [](FaultyFileSystem& f) { f.readError = EIO; }, read(0), "57 Device I/O error (" + bad + ": Input/output error)"}};
  // clang-format on
  for (const NoImage& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.path == huge && noSparseFiles) continue;
    FaultyFileSystem faulty;
    clsBINFile image(shell, faulty);
    ASSERT_TRUE(!row.reused || image.OpenBIN(Write(TestImage().Fill(0xEE).Mask(0x8D), "earlier.bin")));
    shell.Clear();
    if (row.fault) row.fault(faulty);
    const Outcome opened = image.OpenBIN(row.path, row.backup);
    const std::vector<int> numbers = shell.ErrorNumbers();
    EXPECT_EQ((numbers.empty() ? "" : std::to_string(numbers[0]) + " ") + opened.Detail(), row.said);
    EXPECT_EQ(shell.Outline(), row.trace);
    EXPECT_EQ(Members::Of(image), Members{});
    EXPECT_TRUE(image.Bytes().empty());
    EXPECT_FALSE(fs::exists(row.path + ".org"));
  }
  // Should a pipe take the file's place between the look and the open, the open refuses it too.
  EXPECT_EQ(ErrorTextOf([&] { RealFileSystem().OpenReadWrite(dir.File("pipe.bin")); }).substr(0, 3), "52 ");
}

// Closed, an object holds no image: it stores, reads and saves nothing, each attempt a
// report (the wideband commands have nothing to do and say nothing), and it lets go of
// its file and of the file's number, which the next open takes again.
TEST_F(OpenBin, CloseLeavesNoImageAndFreesTheFileAndItsNumber) {
  const std::string other = Write(TestImage(), "other.bin");
  clsBINFile& image = Opened(TestImage(32768, 0x8D).Axxc());
  clsBINFile second(shell);
  ASSERT_TRUE(second.OpenBIN(other) && image.PutPEModifier_RPM(1, 7));
  const std::int16_t number = image.FileNumber();
  EXPECT_NE(number, second.FileNumber());
  image.CloseBIN();
  EXPECT_EQ(Members::Of(image), Members{});
  EXPECT_TRUE(image.FileNumber() == 0 && image.Bytes().empty());
  shell.Clear();
  image.WriteToBin(0, 1), image.CheckSum("A5"), image.PROMID("1");
  const bool did = image.SaveBIN() || image.AddWBHackToBIN() || image.RemoveWBHackFromBIN();
  EXPECT_EQ(image.GetValueFromBin(1) + image.CalculateCSUM() + std::to_string(did) + std::to_string(image.Changed()),
            "000");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.WriteToBin", "clsBINFile.CheckSum [PropertyLet]",
                                                "clsBINFile.PROMID [PropertyLet]", "clsBINFile.CheckSum [PropertyLet]",
                                                "clsBINFile.SaveBIN", "clsBINFile.GetValueFromBin"));
  EXPECT_EQ(shell.Trace().size(), 6U);
  shell.Clear();
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
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X", b[0] + 0U, b[1] + 0U, b[6] + 0U, b[7] + 0U);
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
}

// The text is kept as given; the bytes are the value big-endian, the low byte alone
// above 16 bits (with a word to the user), nothing for text that is not a number.
TEST_F(Identity, SixteenBitStoresWriteTheValueBigEndianAndKeepTheTextAsGiven) {
  const struct {
    bool checksum;
    const char* text;
    const char* bytes;  // PROM ID high, low, checksum high, low; 55 where untouched
    const char* said;   // box shown, if any
  } cases[] = {         // clang-format off
      {true, "A5", "55 55 00 A5", ""}, {true, "3A5", "55 55 03 A5", ""}, {true, "abcd", "55 55 AB CD", ""},
      {true, "0", "55 55 00 00", ""}, {true, "100", "55 55 01 00", ""}, {false, "4613", "12 05 55 55", ""},
      {false, "255", "00 FF 55 55", ""}, {false, "256", "01 00 55 55", ""}, {false, "65535", "FF FF 55 55", ""},
      {false, "12.5", "00 0C 55 55", ""}, {false, "300.5", "01 2C 55 55", ""}, {false, "70000", "55 70 55 55", "Ouch"},
      {true, "12345", "55 55 55 45", "Ouch"}, {true, "xyz", "55 55 55 55", "Error Number: 13"},
      {false, "12abc", "55 55 55 55", "Error Number: 13"}, {false, "-1", "55 55 55 55", "Error Number: 6"}};
  // clang-format on
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
}

// The window's undo and redo: bytes of the image's own length only, whose PROM ID and
// stored checksum are read again, with the changed state the caller gives; an object
// without an image takes none.
TEST_F(Identity, RestoredBytesBringTheirIdentityAndTheGivenChangedStateOrAreRefused) {
  clsBINFile& image = Opened(TestImage().PromId(4613).StoredChecksum(0x0A5F));
  const std::vector<std::uint8_t> other = TestImage().PromId(258).StoredChecksum(0xBEEF).Byte(0x7FFF, 1).Bytes();
  // Each attempt: taken or not, then the PROM ID and checksum where the image holds these bytes, and Changed().
  std::string seen;
  for (const auto& [length, changed] :
       {std::pair<std::size_t, bool>{32768, true}, {32640, false}, {32768, false}, {0, true}}) {
    if (length == 0) image.CloseBIN();  // then as long as the image it lacks, yet refused
    const bool taken = image.RestoreBytes(std::span(other).first(length), changed);
    seen += std::to_string(taken) + (BytesOf(image) == other ? " " + image.PROMID() + " " + image.Checksum() : "") +
            " " + std::to_string(image.Changed()) + "|";
  }
  EXPECT_EQ(seen, "1 258 BEEF 1|0 258 BEEF 1|1 258 BEEF 0|0 0|");
  EXPECT_THAT(shell.ErrorNumbers(), ElementsAre(9, 9));
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
