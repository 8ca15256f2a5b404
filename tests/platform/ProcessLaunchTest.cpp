// A launch option's arguments must reach the program unchanged when Steam
// runs the line with /bin/sh -c: each quoted argument goes through a real
// shell here.
#include "platform/ProcessLaunch.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace tilvane::platform {
namespace {

struct PipeCloser {
  void operator()(FILE* AFile) const { pclose(AFile); }
};

// What /bin/sh makes of "printf '[%s]' <AWord>": each argument in brackets.
std::string ThroughShell(const std::string& AWord) {
  const std::string Command = "printf '[%s]' " + AWord;
  std::unique_ptr<FILE, PipeCloser> Pipe(popen(Command.c_str(), "r"));
  std::string Output;
  std::array<char, 256> Buffer{};
  while (size_t Read = std::fread(Buffer.data(), 1, Buffer.size(), Pipe.get()))
    Output.append(Buffer.data(), Read);
  return Output;
}

TEST(ProcessLaunchTest, QuotedArgumentsSurviveTheShell) {
  const struct {
    std::string Argument;
    std::string Quoted;
  } Cases[] = {
      {"Server", "Server"},
      {"/usr/bin/tilvane", "/usr/bin/tilvane"},
      {"Server A", "'Server A'"},
      {"", "''"},
      {"Bob's \"farm\"", "'Bob'\\''s \"farm\"'"},
      {"$HOME `id` *;&|<>", "'$HOME `id` *;&|<>'"},
      {"a\\b", "'a\\b'"},
      {"Ölmühle 2", "'Ölmühle 2'"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Argument);
    EXPECT_EQ(QuoteLaunchArgument(Case.Argument), Case.Quoted);
    EXPECT_EQ(ThroughShell(QuoteLaunchArgument(Case.Argument)), "[" + Case.Argument + "]");
  }
}

TEST(ProcessLaunchTest, ACommandThatCannotStartSaysWhy) {
  EXPECT_EQ(ReplaceProcess({"/nonexistent/tilvane-test-game"}), "No such file or directory");
  EXPECT_EQ(ReplaceProcess({}), "no command was given");
}

} // namespace
} // namespace tilvane::platform
