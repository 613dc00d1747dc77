#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

#include "RecordingShell.h"
#include "foundation/ErrorReport.h"
#include "foundation/RuntimeError.h"

namespace vantorix {
namespace {

using test::RecordingShell;

const ErrorSite kSite{kBinFileErrorTitle, "clsBINFile", "OpenBIN"};

TEST(ErrorTrap, ReportsOnceWithTheFiveTextsReturnsTheFailureValueAndLetsTheCallerGoOn) {
  RecordingShell shell;
  EXPECT_EQ(Trap(shell, kSite, [] { return 42; }), 42);
  int member = 0;
  const std::string result = Trap(shell, kSite, [&] {
    const ErrorSite callee{kBinFileErrorTitle, "clsBINFile", "GetBinaryMask"};
    const auto mask = Trap(shell, callee, []() -> std::string { throw RuntimeError(ErrorNumber::Overflow); });
    member = 5;  // changed before the error: stays changed
    if (member == 5) throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "position 0");
    return "after " + mask;
  });
  EXPECT_EQ(result + std::to_string(member), "5");
  EXPECT_EQ(Trap(
                shell, kSite, []() -> int { throw RuntimeError(ErrorNumber::Overflow); }, -1),
            -1);
  EXPECT_THAT(shell.Trace(),
              ::testing::ElementsAre("box 16 BIN File Error: Error in clsBINFile.GetBinaryMask\r\n\r\nError Number: "
                                     "6\r\nError Description: Overflow\r\nError Source: Vantorix",
                                     "box 16 BIN File Error: Error in clsBINFile.OpenBIN\r\n\r\nError Number: 9\r\n"
                                     "Error Description: Subscript out of range (position 0)\r\nError Source: Vantorix",
                                     "box 16 BIN File Error: Error in clsBINFile.OpenBIN\r\n\r\nError Number: 6\r\n"
                                     "Error Description: Overflow\r\nError Source: Vantorix"));
}

TEST(ErrorTrap, MapsStandardFailuresToClassicNumbersAndNamesTheFileAtFault) {
  const auto system = [](int code) { return [code] { throw std::system_error(code, std::generic_category()); }; };
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[] { throw std::bad_alloc(); }, "7\r\nError Description: Out of memory"},
      {[] { throw std::filesystem::filesystem_error("copy", "/x/a.bin.org", std::make_error_code(std::errc(ENOENT))); },
       "53\r\nError Description: File not found (/x/a.bin.org: No such file or directory)"},
      {[] { throw ErrorFromSystem(EACCES, "/cal/a.bin"); }, "70\r\nError Description: Permission denied (/cal/a.bin)"},
      {system(ENOSPC), "61\r\nError Description: Disk full (No space left on device)"},
      {system(EIO), "57"},
      {system(ENOTDIR), "76"},
      {[] { throw std::out_of_range("index"); }, "9\r\n"},
      {[] { throw 17; }, "51\r\nError Description: Internal error"}};
  for (const auto& [thrower, expected] : cases) {  // a short row: the number, then the system's own words
    RecordingShell shell;
    Trap(shell, kSite, thrower);
    const std::string& text = shell.Boxes().at(0).text;
    const auto start = text.find("Error Number: ") + 14;
    const std::string described = text.substr(start, text.find("\r\nError Source") - start);
    EXPECT_EQ(expected.size() > 3 ? described : described.substr(0, expected.size()), expected);
  }
}

}  // namespace
}  // namespace vantorix
