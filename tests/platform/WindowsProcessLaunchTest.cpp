// Windows Steam splits a game's launch options as the C runtime does: each
// quoted argument must come back whole from CommandLineToArgvW.
#include "platform/ProcessLaunch.h"
#include "platform/WinStrings.h"

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

namespace tilvane::platform {
namespace {

std::wstring SplitSecond(const std::string& AQuoted) {
  int Count = 0;
  const std::wstring Line = L"tilvane.exe " + win::Widen(AQuoted);
  LPWSTR* Arguments = CommandLineToArgvW(Line.c_str(), &Count);
  std::wstring Second = Count == 2 ? Arguments[1] : L"(split into another count)";
  LocalFree(Arguments);
  return Second;
}

TEST(WindowsProcessLaunchTest, QuotedArgumentsComeBackWhole) {
  const struct {
    std::string Argument;
    std::string Quoted;
  } Cases[] = {
      {"Server", "Server"},
      {"C:\\Program Files\\Tilvane\\tilvane.exe", "\"C:\\Program Files\\Tilvane\\tilvane.exe\""},
      {"Server A", "\"Server A\""},
      {"", "\"\""},
      {"Bob's \"farm\"", "\"Bob's \\\"farm\\\"\""},
      {"ends in \\", "\"ends in \\\\\""},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Argument);
    EXPECT_EQ(QuoteLaunchArgument(Case.Argument), Case.Quoted);
    EXPECT_EQ(SplitSecond(QuoteLaunchArgument(Case.Argument)), win::Widen(Case.Argument));
  }
}

} // namespace
} // namespace tilvane::platform
