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

using ::testing::ElementsAre;
using test::RecordingShell;

const ErrorSite kSite{kBinFileErrorTitle, "clsBINFile", "OpenBIN"};

TEST(ErrorReport, LaysOutTheFiveTextsOnSeparateLines) {
  EXPECT_EQ(ErrorReportText("53", "File not found", "Vantorix", "clsBINFile", "OpenBIN"),
            "Error in clsBINFile.OpenBIN\r\n\r\nError Number: 53\r\nError Description: File not found\r\n"
            "Error Source: Vantorix");
}

TEST(ErrorReport, IsAStopBoxWithTheModuleTitleAndWritesNoLogLine) {
  RecordingShell shell;
  ShowError(shell, "9", "Subscript out of range", "Vantorix", "frmAFR", "Form_Load", "Fennimar Error");
  ASSERT_EQ(shell.Boxes().size(), 1U);
  EXPECT_EQ(shell.Boxes()[0].style, MsgBoxStyle::Critical);
  EXPECT_EQ(shell.Boxes()[0].title, "Fennimar Error");
  EXPECT_TRUE(shell.Logs().empty());
}

TEST(ErrorTrap, PassesTheResultThroughWhenNothingFails) {
  RecordingShell shell;
  EXPECT_EQ(Trap(shell, kSite, [] { return 42; }), 42);
  EXPECT_TRUE(shell.Trace().empty());
}

TEST(ErrorTrap, ReportsOnceAndReturnsTheFailureValue) {
  RecordingShell shell;
  bool reachedEnd = false;
  const bool result = Trap(shell, kSite, [&] {
    throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "position 0");
    reachedEnd = true;
    return true;
  });
  EXPECT_FALSE(result);
  EXPECT_FALSE(reachedEnd);
  ASSERT_EQ(shell.Boxes().size(), 1U);
  EXPECT_EQ(shell.Boxes()[0].title, "BIN File Error");
  EXPECT_EQ(shell.Boxes()[0].text,
            "Error in clsBINFile.OpenBIN\r\n\r\nError Number: 9\r\n"
            "Error Description: Subscript out of range (position 0)\r\nError Source: Vantorix");
}

TEST(ErrorTrap, ReturnsAnExplicitFailureValue) {
  RecordingShell shell;
  EXPECT_EQ(Trap(shell, kSite, []() -> int { throw RuntimeError(ErrorNumber::Overflow); }, -1), -1);
}

TEST(ErrorTrap, KeepsChangesMadeBeforeTheError) {
  RecordingShell shell;
  int member = 0;
  Trap(shell, kSite, [&] {
    member = 5;
    throw RuntimeError(ErrorNumber::Overflow);
  });
  EXPECT_EQ(member, 5);
  EXPECT_EQ(shell.Boxes().size(), 1U);
}

TEST(ErrorTrap, ACalleesReportDoesNotStopTheCaller) {
  RecordingShell shell;
  const ErrorSite inner{kBinFileErrorTitle, "clsBINFile", "GetBinaryMask"};
  const std::string result = Trap(shell, kSite, [&] {
    const std::string mask = Trap(shell, inner, []() -> std::string { throw RuntimeError(ErrorNumber::Overflow); });
    return "after " + mask + "callee";
  });
  EXPECT_EQ(result, "after callee");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.GetBinaryMask"));
}

int TrappedNumber(auto&& thrower) {
  RecordingShell shell;
  Trap(shell, kSite, thrower);
  if (shell.Boxes().size() != 1) return -1;
  const std::string& text = shell.Boxes()[0].text;
  const auto start = text.find("Error Number: ") + 14;
  return std::stoi(text.substr(start, text.find('\r', start) - start));
}

TEST(ErrorTrap, MapsStandardFailuresToClassicNumbers) {
  EXPECT_EQ(TrappedNumber([] { throw std::bad_alloc(); }), 7);
  EXPECT_EQ(TrappedNumber([] {
              throw std::filesystem::filesystem_error("copy", "/x/a.bin.org",
                                                      std::error_code(ENOENT, std::generic_category()));
            }),
            53);
  EXPECT_EQ(TrappedNumber([] { throw std::system_error(EACCES, std::generic_category()); }), 70);
  EXPECT_EQ(TrappedNumber([] { throw std::system_error(ENOSPC, std::generic_category()); }), 61);
  EXPECT_EQ(TrappedNumber([] { throw std::system_error(EIO, std::generic_category()); }), 57);
  EXPECT_EQ(TrappedNumber([] { throw std::system_error(ENOTDIR, std::generic_category()); }), 76);
  EXPECT_EQ(TrappedNumber([] { throw std::out_of_range("index"); }), 9);
  EXPECT_EQ(TrappedNumber([] { throw 17; }), 51);
}

TEST(ErrorTrap, NamesTheFileAndTheSystemReasonInTheDescription) {
  RecordingShell shell;
  Trap(shell, kSite, [] { throw ErrorFromSystem(EACCES, "/cal/a.bin"); });
  ASSERT_EQ(shell.Boxes().size(), 1U);
  EXPECT_THAT(shell.Boxes()[0].text,
              ::testing::HasSubstr("Error Description: Permission denied (/cal/a.bin)"));
}

}  // namespace
}  // namespace vantorix
