#include <gmock/gmock.h>

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
  const int passed = Trap(shell, kSite, [] { return 42; });
  int member = 0;
  const std::string result = Trap(shell, kSite, [&] {
    const ErrorSite callee{kBinFileErrorTitle, "clsBINFile", "GetBinaryMask"};
    const auto mask = Trap(shell, callee, []() -> std::string { throw RuntimeError(ErrorNumber::Overflow); });
    member = 5;  // changed before the error: stays changed
    if (member == 5) throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "position 0");
    return "after " + mask;
  });
  const int failed = Trap(
      shell, kSite, []() -> int { throw RuntimeError(ErrorNumber::Overflow); }, -1);
  EXPECT_EQ(std::to_string(passed) + " [" + result + "] " + std::to_string(member) + " " + std::to_string(failed),
            "42 [] 5 -1");
  const std::string report = "box Critical BIN File Error: Error in clsBINFile.", source = "\r\nError Source: Vantorix";
  EXPECT_THAT(
      shell.Trace(),
      ::testing::ElementsAre(
          report + "GetBinaryMask\r\n\r\nError Number: 6\r\nError Description: Overflow" + source,
          report + "OpenBIN\r\n\r\nError Number: 9\r\nError Description: Subscript out of range (position 0)" + source,
          report + "OpenBIN\r\n\r\nError Number: 6\r\nError Description: Overflow" + source));
}

// Each failure as its number and description: the classic words, then the system's own
// and the file at fault.
TEST(ErrorTrap, MapsStandardFailuresToClassicNumbersAndNamesTheFileAtFault) {
  const auto system = [](int code) { return [code] { throw std::system_error(code, std::generic_category()); }; };
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[] { throw std::bad_alloc(); }, "7 Out of memory"},
      {[] { throw std::filesystem::filesystem_error("copy", "/x/a.bin.org", std::make_error_code(std::errc(ENOENT))); },
       "53 File not found (/x/a.bin.org: No such file or directory)"},
      {[] { throw ErrorFromSystem(EACCES, "/cal/a.bin"); }, "70 Permission denied (/cal/a.bin)"},
      {system(ENOSPC), "61 Disk full (No space left on device)"},
      {system(EIO), "57 Device I/O error (Input/output error)"},
      {system(ENOTDIR), "76 Path not found (Not a directory)"},
      {[] { throw std::out_of_range("index"); }, "9 Subscript out of range (index)"},
      {[] { throw 17; }, "51 Internal error"}};
  for (const auto& [thrower, expected] : cases) {
    SCOPED_TRACE(expected);
    RecordingShell shell;
    const Outcome failed = Trap(shell, kSite, [&] { return thrower(), Outcome::Done(); });
    EXPECT_EQ(std::to_string(shell.ErrorNumbers().at(0)) + " " + failed.Detail(), expected);
  }
}

}  // namespace
}  // namespace vantorix
