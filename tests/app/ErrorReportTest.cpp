#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

#include "RecordingShell.h"
#include "app/ErrorReport.h"
#include "app/RuntimeError.h"

namespace vantorix {
namespace {

using test::RecordingShell;

const ErrorSite kSite{kBinFileErrorTitle, "clsBINFile", "OpenBIN"};

TEST(ErrorTrap, ReportsOnceWithTheFiveTextsAndReturnsTheFailureValue) {
  RecordingShell shell;
  EXPECT_EQ(Trap(shell, kSite, [] { return 42; }), 42);
  EXPECT_TRUE(shell.Trace().empty());
  int member = 0;
  const bool result = Trap(shell, kSite, [&] {
    member = 5;  // changed before the error: stays changed
    if (member == 5) throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "position 0");
    return true;
  });
  EXPECT_FALSE(result);
  EXPECT_EQ(member, 5);
  EXPECT_EQ(Trap(shell, kSite, []() -> int { throw RuntimeError(ErrorNumber::Overflow); }, -1), -1);
  EXPECT_THAT(shell.Trace(),
              ::testing::ElementsAre("box 16 BIN File Error: Error in clsBINFile.OpenBIN\r\n\r\nError Number: 9\r\n"
                                     "Error Description: Subscript out of range (position 0)\r\nError Source: Vantorix",
                                     "box 16 BIN File Error: Error in clsBINFile.OpenBIN\r\n\r\nError Number: 6\r\n"
                                     "Error Description: Overflow\r\nError Source: Vantorix"));
}

TEST(ErrorTrap, ACalleesReportDoesNotStopTheCaller) {
  RecordingShell shell;
  const ErrorSite inner{kBinFileErrorTitle, "clsBINFile", "GetBinaryMask"};
  const std::string result = Trap(shell, kSite, [&] {
    const std::string mask = Trap(shell, inner, []() -> std::string { throw RuntimeError(ErrorNumber::Overflow); });
    return "after " + mask + "callee";
  });
  EXPECT_EQ(result, "after callee");
  EXPECT_THAT(shell.ErrorReports(), ::testing::ElementsAre("clsBINFile.GetBinaryMask"));
}

std::string ReportedDescription(const std::function<void()>& thrower) {
  RecordingShell shell;
  Trap(shell, kSite, thrower);
  const std::string& text = shell.Boxes().at(0).text;
  const auto start = text.find("Error Number: ") + 14;
  return text.substr(start, text.find("\r\nError Source") - start);
}

TEST(ErrorTrap, MapsStandardFailuresToClassicNumbersAndNamesTheFileAtFault) {
  const auto system = [](int code) { return [code] { throw std::system_error(code, std::generic_category()); }; };
  EXPECT_EQ(ReportedDescription([] { throw std::bad_alloc(); }), "7\r\nError Description: Out of memory");
  EXPECT_EQ(ReportedDescription([] {
              throw std::filesystem::filesystem_error("copy", "/x/a.bin.org",
                                                      std::error_code(ENOENT, std::generic_category()));
            }),
            "53\r\nError Description: File not found (/x/a.bin.org: No such file or directory)");
  EXPECT_EQ(ReportedDescription([] { throw ErrorFromSystem(EACCES, "/cal/a.bin"); }),
            "70\r\nError Description: Permission denied (/cal/a.bin)");
  EXPECT_EQ(ReportedDescription(system(ENOSPC)).substr(0, 2), "61");
  EXPECT_EQ(ReportedDescription(system(EIO)).substr(0, 2), "57");
  EXPECT_EQ(ReportedDescription(system(ENOTDIR)).substr(0, 2), "76");
  EXPECT_EQ(ReportedDescription([] { throw std::out_of_range("index"); }).substr(0, 3), "9\r\n");
  EXPECT_EQ(ReportedDescription([] { throw 17; }), "51\r\nError Description: Internal error");
}

}  // namespace
}  // namespace vantorix
